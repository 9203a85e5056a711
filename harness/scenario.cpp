#include "harness/scenario.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "harness/expectation.h"
#include "harness/format.h"
#include "harness/number.h"
#include "harness/quote.h"
#include "input/key_state.h"
#include "script/script_loop.h"

namespace harness {
namespace {

using Words = std::vector<std::string_view>;

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kMaxPasses = 1'000'000;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Names a scenario gives numbers: the bindings' keys and the windows, read from the
// plugin's own constants, so that a scenario says the same whatever their values.
struct Name {
  std::string_view word;
  std::uint32_t value;
};
constexpr std::array<Name, 3> kKeyNames = {
    {{"stealth-key", kStealthKey}, {"follow-up-key", kFollowUpKey}, {"hold-key", kHoldKey}}};
constexpr std::array<Name, 2> kWindowNames = {
    {{"just-released-ms", kJustReleasedMs}, {"held-ms", kHeldMs}}};

struct Fault {
  std::string message;
};

Words splitWords(std::string_view line) {
  Words words;
  constexpr std::string_view kSpace = " \t";
  for (std::size_t start = line.find_first_not_of(kSpace); start != std::string_view::npos;) {
    const std::size_t end = std::min(line.find_first_of(kSpace, start), line.size());
    words.push_back(line.substr(start, end - start));
    start = line.find_first_not_of(kSpace, end);
  }
  return words;
}

std::string lower(std::string_view word) {
  std::string out(word);
  std::ranges::transform(out, out.begin(),
                         [](char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; });
  return out;
}

std::uint64_t number(std::string_view word, std::string_view what, std::uint64_t least,
                     std::uint64_t most) {
  if (const std::optional<std::uint64_t> value = parseNumber(word, least, most)) return *value;
  throw Fault{numberError(what, word, least, most)};
}

// `word` as a number from `least` to `most`: a number, or one of `names` alone or
// followed by +N or -N.
std::uint64_t namedNumber(std::string_view word, std::string_view what, std::span<const Name> names,
                          std::uint64_t least, std::uint64_t most) {
  std::optional<std::uint64_t> value = parseNumber(word, least, most);
  std::string choices;
  for (const Name& name : names) {
    choices += choices.empty() ? "" : &name == &names.back() ? " or " : ", ";
    choices += name.word;
    const std::string_view rest = word.substr(std::min(word.size(), name.word.size()));
    if (lower(word.substr(0, name.word.size())) != name.word) continue;
    std::optional<std::uint64_t> offset;
    if (rest.empty()) {
      offset = 0;
    } else if (rest[0] == '+' || rest[0] == '-') {
      offset = parseNumber(rest.substr(1), 0, kMax32);
    }
    if (!offset) continue;
    // Below 0, the difference wraps far above `most`.
    const std::uint64_t sum = rest.starts_with('-') ? name.value - *offset : name.value + *offset;
    if (sum >= least && sum <= most) value = sum;
  }
  if (value) return *value;
  std::string error = numberError(what, word, least, most);
  error.pop_back();
  throw Fault{error + ", or " + choices + ", alone or +N or -N)"};
}

// A time in ms: a number, or a window by name.
std::uint32_t milliseconds(std::string_view word, std::string_view what) {
  return static_cast<std::uint32_t>(namedNumber(word, what, kWindowNames, 0, kMax32));
}

// A signed 32-bit value, -2147483648 to 2147483647, or its bits, up to 0xFFFFFFFF.
std::int32_t signed32(std::string_view word, std::string_view what) {
  const bool negative = word.starts_with('-');
  const std::optional<std::uint64_t> magnitude =
      parseNumber(word.substr(negative ? 1 : 0), 0, negative ? 0x80000000u : kMax32);
  if (!magnitude) {
    throw Fault{format("bad %.*s %s (expected -2147483648 to 4294967295, decimal or 0x hex)",
                       static_cast<int>(what.size()), what.data(), quoted(word).c_str())};
  }
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(negative ? 0 - *magnitude : *magnitude));
}

std::uint32_t keyCode(std::string_view word) {
  return static_cast<std::uint32_t>(namedNumber(word, "key", kKeyNames, 0, kMax32));
}

// The flags a keystroke line may set: signed 32-bit values, or their bits.
using Flag = std::pair<std::string_view, BOOL standin::Keystroke::*>;
constexpr Flag kFlags[] = {{"extended", &standin::Keystroke::extended},
                           {"context", &standin::Keystroke::contextCode},
                           {"previous", &standin::Keystroke::previousState},
                           {"transition", &standin::Keystroke::transitionState}};

void setField(standin::Keystroke& k, std::string_view name, std::string_view value) {
  const std::string field = lower(name);
  const auto flag = std::ranges::find(kFlags, field, &Flag::first);
  if (field == "repeat") {
    k.repeatCount = static_cast<WORD>(number(value, "repeat", 0, 0xFFFF));
  } else if (field == "scan") {
    k.scanCode = static_cast<BYTE>(number(value, "scan", 0, 0xFF));
  } else if (flag != std::end(kFlags)) {
    k.*flag->second = signed32(value, flag->first);
  } else {
    throw Fault{"unknown field " + quoted(name) +
                " (expected repeat, scan, extended, context, previous or transition)"};
  }
}

Step readKey(const Words& words) {
  const std::uint32_t code = keyCode(words[1]);
  const bool release = lower(words[0]) == "release";
  standin::Keystroke k = release ? standin::release(code) : standin::press(code);
  for (const std::string_view field : std::span(words).subspan(2)) {
    const std::size_t eq = field.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == field.size()) {
      throw Fault{"bad field " + quoted(field) + " (expected name=value)"};
    }
    setField(k, field.substr(0, eq), field.substr(eq + 1));
  }
  return Key{k};
}

Step readPasses(const Words& words) {
  Passes passes;
  if (words.size() == 3 || (words.size() == 4 && lower(words[2]) != "every")) {
    throw Fault{"usage: pass [N [every MS]]"};
  }
  if (words.size() >= 2) {
    passes.count = static_cast<std::uint32_t>(number(words[1], "pass count", 1, kMaxPasses));
  }
  if (words.size() == 4) passes.everyMs = milliseconds(words[3], "step");
  return passes;
}

// The words a scenario line begins with, how many words may follow each, and how
// the line is read.
struct Verb {
  std::string_view word;
  std::string_view usage;
  std::size_t least;
  std::size_t most;
  Step (*read)(const Words& words);
};
constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();
constexpr Verb kVerbs[] = {
    {"tick", "tick N", 1, 1,
     [](const Words& w) -> Step { return SetTick{milliseconds(w[1], "tick")}; }},
    {"advance", "advance N", 1, 1,
     [](const Words& w) -> Step { return Advance{milliseconds(w[1], "advance")}; }},
    {"subject", "subject N", 1, 1,
     [](const Words& w) -> Step { return SetSubject{signed32(w[1], "subject")}; }},
    {"press", "press KEY [field=N ...]", 1, kAny, readKey},
    {"release", "release KEY [field=N ...]", 1, kAny, readKey},
    {"pass", "pass [N [every MS]]", 0, 3, readPasses},
    {"load", "load", 0, 0, [](const Words&) -> Step { return Load{}; }},
    {"unload", "unload", 0, 0, [](const Words&) -> Step { return Unload{}; }},
    {"thread", "thread", 0, 0, [](const Words&) -> Step { return Thread{}; }},
};

Step readStep(const Words& words) {
  for (const Verb& verb : kVerbs) {
    if (lower(words[0]) != verb.word) continue;
    if (words.size() - 1 < verb.least || words.size() - 1 > verb.most) {
      throw Fault{"usage: " + std::string(verb.usage)};
    }
    return verb.read(words);
  }
  throw Fault{"unknown word " + quoted(words[0]) +
              " (expected tick, advance, subject, press, release, pass, load, unload, thread or "
              "expect)"};
}

// The natives of an expect line, the words after "expect": "nothing", or names
// with commas between them.
std::vector<NativeHash> expectedNatives(std::span<const std::string_view> words) {
  std::string list;
  for (const std::string_view word : words) list += (list.empty() ? "" : " ") + std::string(word);
  if (words.size() == 1 && lower(words[0]) == "nothing") return {};
  std::vector<NativeHash> natives;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find(',', start), list.size());
    const Words name = splitWords(std::string_view(list).substr(start, end - start));
    if (name.size() != 1) {
      throw Fault{"bad expectation " + quoted(list) +
                  " (expected nothing, or stealth, follow-up or hold with commas between)"};
    }
    if (lower(name[0]) == "subject") {
      throw Fault{"expect lists the natives after the subject, which every pass calls first"};
    }
    const std::optional<NativeHash> native = expectableNative(lower(name[0]));
    if (!native) {
      throw Fault{"unknown native " + quoted(name[0]) +
                  (lower(name[0]) == "nothing" ? " (nothing stands alone)"
                                               : " (expected stealth, follow-up or hold)")};
    }
    natives.push_back(*native);
    start = end + 1;
  }
  return natives;
}

// A line takes a 32-bit advance: a longer one takes several.
std::string advanceLines(std::uint64_t ms) {
  std::string lines;
  do {
    const std::uint64_t chunk = std::min(ms, kMax32);
    lines += format("advance %" PRIu64 "\n", chunk);
    ms -= chunk;
  } while (ms != 0);
  return lines;
}

std::string passLine(const Passes& passes) {
  if (passes.everyMs != 0) {
    return format("pass %" PRIu32 " every %" PRIu32 "\n", passes.count, passes.everyMs);
  }
  return passes.count == 1 ? "pass\n" : format("pass %" PRIu32 "\n", passes.count);
}

}  // namespace

ScenarioReader::ScenarioReader(ByteSource nextByte) : nextByte_(std::move(nextByte)) {}

int ScenarioReader::take() {
  const int byte = pending_ != kNoByte ? pending_ : nextByte_();
  pending_ = kNoByte;
  return byte;
}

// A line ends at a line feed, a carriage return and line feed, or a lone carriage
// return. False at the end of the input, or when the line is too long.
bool ScenarioReader::readLine() {
  line_.clear();
  int byte = take();
  if (byte < 0) return false;
  ++lineNumber_;
  for (; byte >= 0 && byte != '\n'; byte = take()) {
    if (byte == '\r') {
      if (const int after = take(); after != '\n') pending_ = after;
      break;
    }
    if (line_.size() == kMaxLineBytes) {
      error_ = format("line %zu: longer than %zu bytes", lineNumber_, kMaxLineBytes);
      return false;
    }
    line_ += static_cast<char>(byte);
  }
  // Windows Notepad begins a UTF-8 file with one.
  if (lineNumber_ == 1 && line_.starts_with(kByteOrderMark)) line_.erase(0, kByteOrderMark.size());
  return true;
}

Expectation ScenarioReader::readExpectation(const Words& words) const {
  if (words.size() == 1) throw Fault{"usage: expect NATIVE[, NATIVE ...] or expect nothing"};
  if (passLine_ == 0) throw Fault{"expect without a pass line before it"};
  if (expectation_) {
    throw Fault{format("a second expect line for the pass on line %zu", passLine_)};
  }
  return Expectation{lineNumber_, expectedNatives(std::span(words).subspan(1))};
}

std::optional<Step> ScenarioReader::next() {
  expectation_.reset();
  while (error_.empty() && readLine()) {
    const Words words = splitWords(std::string_view(line_).substr(0, line_.find('#')));
    if (words.empty()) continue;
    try {
      if (lower(words[0]) == "expect") {
        expectation_ = readExpectation(words);
        continue;
      }
      Step step = readStep(words);
      passLine_ = std::holds_alternative<Passes>(step) ? lineNumber_ : 0;
      return step;
    } catch (const Fault& fault) {
      error_ = "line " + std::to_string(lineNumber_) + ": " + fault.message;
    }
  }
  return std::nullopt;
}

ScenarioReader::ByteSource bytesOf(std::string_view text) {
  return [text, at = std::size_t{0}]() mutable {
    return at < text.size() ? static_cast<unsigned char>(text[at++]) : -1;
  };
}

ParseResult parseScenario(std::string_view text) {
  ScenarioReader reader(bytesOf(text));
  ParseResult result;
  const auto keepExpectation = [&] {
    if (reader.expectation()) result.expectations.push_back(*reader.expectation());
  };
  while (std::optional<Step> step = reader.next()) {
    keepExpectation();
    result.timeline.steps.push_back(*step);
  }
  keepExpectation();
  if (!reader.error().empty()) return ParseResult{{}, reader.error()};
  return result;
}

std::string keyLabel(DWORD code, KeyStyle style) {
  const auto value = static_cast<std::uint32_t>(code);
  // Above 255, a code whose low byte is a binding's key: the one a byte-wide table
  // would take for it.
  const std::uint32_t key = value > 0xFF ? value & 0xFF : value;
  const auto named = std::ranges::find(kKeyNames, key, &Name::value);
  if (named == kKeyNames.end()) {
    return format(style == KeyStyle::kTrace ? "0x%02" PRIX32 : "0x%" PRIX32, value);
  }
  return std::string(named->word) + (value == key ? "" : format("+0x%" PRIX32, value - key));
}

std::string keystrokeText(const standin::Keystroke& k, KeyStyle style) {
  return format("%s %s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32 " previous=%" PRId32
                " transition=%" PRId32,
                k.transitionState != 0 ? "release" : "press", keyLabel(k.key, style).c_str(),
                static_cast<unsigned>(k.repeatCount), static_cast<unsigned>(k.scanCode), k.extended,
                k.contextCode, k.previousState, k.transitionState);
}

std::string scenarioLines(const Step& step) {
  return std::visit(
      Overloaded{
          [](const SetTick& s) { return format("tick %" PRIu32 "\n", s.ms); },
          [](const Advance& s) { return advanceLines(s.ms); },
          [](const SetSubject& s) { return format("subject %" PRId32 "\n", s.subject); },
          [](const Key& s) { return keystrokeText(s.keystroke, KeyStyle::kScenario) + "\n"; },
          [](const Passes& s) { return passLine(s); },
          [](const Load&) { return std::string("load\n"); },
          [](const Unload&) { return std::string("unload\n"); },
          [](const Thread&) { return std::string("thread\n"); },
      },
      step);
}

std::string scenarioText(const Timeline& timeline) {
  std::string text;
  for (const Step& step : timeline.steps) text += scenarioLines(step);
  return text;
}

}  // namespace harness
