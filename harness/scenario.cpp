#include "harness/scenario.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "harness/format.h"

namespace harness {
namespace {

using Words = std::vector<std::string_view>;

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kMaxPasses = 1'000'000;
// A faulty word is quoted up to this many characters, so that a huge line does
// not come back as a huge message.
constexpr std::size_t kMaxQuoted = 40;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The keys with names: as a scenario writes them (read in any case), and as a
// trace shows them.
struct KeyName {
  std::string_view word;
  std::string_view shown;
  std::uint32_t code;
};
constexpr std::array<KeyName, 4> kKeyNames = {
    {{"X", "X", 0x58}, {"C", "C", 0x43}, {"CTRL", "Ctrl", 0x11}, {"CONTROL", "Ctrl", 0x11}}};

struct Fault {
  std::string message;
};

std::string quoted(std::string_view word) {
  if (word.size() <= kMaxQuoted) return "'" + std::string(word) + "'";
  return "'" + std::string(word.substr(0, kMaxQuoted)) + "...' (" + std::to_string(word.size()) +
         " characters)";
}

Words splitWords(std::string_view line) {
  Words words;
  constexpr std::string_view kSpace = " \t\r";
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

// An unsigned number, decimal or 0x-hexadecimal, no greater than `max`; false
// when it is not one.
bool parseUnsigned(std::string_view word, std::uint64_t max, std::uint64_t& value) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value, base);
  return !word.empty() && error == std::errc() && stop == end && value <= max;
}

std::uint64_t unsignedUpTo(std::uint64_t max, std::string_view word, std::string_view what) {
  std::uint64_t value = 0;
  if (!parseUnsigned(word, max, value)) {
    throw Fault{format("bad %s %s (expected 0 to %" PRIu64 ", decimal or 0x hex)",
                       std::string(what).c_str(), quoted(word).c_str(), max)};
  }
  return value;
}

std::uint32_t unsigned32(std::string_view word, std::string_view what) {
  return static_cast<std::uint32_t>(unsignedUpTo(kMax32, word, what));
}

// A signed 32-bit value: -2147483648 to 2147483647, or its bits as 0 to 0xFFFFFFFF.
std::int32_t signed32(std::string_view word, std::string_view what) {
  const bool negative = word.starts_with('-');
  std::uint64_t magnitude = 0;
  if (!parseUnsigned(word.substr(negative ? 1 : 0), negative ? 0x80000000u : kMax32, magnitude)) {
    throw Fault{"bad " + std::string(what) + " " + quoted(word) +
                " (expected a signed 32-bit value or its bits, 0 to 0xFFFFFFFF)"};
  }
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude));
}

std::uint32_t keyCode(std::string_view word) {
  for (const KeyName& key : kKeyNames) {
    if (lower(word) == lower(key.word)) return key.code;
  }
  std::uint64_t code = 0;
  if (!parseUnsigned(word, kMax32, code)) {
    throw Fault{"bad key " + quoted(word) +
                " (expected X, C, CTRL or a code from 0 to 0xFFFFFFFF)"};
  }
  return static_cast<std::uint32_t>(code);
}

// The flags a keystroke line may set: signed 32-bit values, or their bits.
constexpr std::pair<std::string_view, BOOL standin::Keystroke::*> kFlags[] = {
    {"extended", &standin::Keystroke::extended},
    {"context", &standin::Keystroke::contextCode},
    {"previous", &standin::Keystroke::previousState},
    {"transition", &standin::Keystroke::transitionState}};

void setField(standin::Keystroke& k, std::string_view name, std::string_view value) {
  const std::string field = lower(name);
  if (field == "repeat") {
    k.repeatCount = static_cast<WORD>(unsignedUpTo(0xFFFF, value, "repeat"));
    return;
  }
  if (field == "scan") {
    k.scanCode = static_cast<BYTE>(unsignedUpTo(0xFF, value, "scan"));
    return;
  }
  for (const auto& [flag, member] : kFlags) {
    if (field == flag) {
      k.*member = signed32(value, flag);
      return;
    }
  }
  throw Fault{"unknown field " + quoted(name) +
              " (expected repeat, scan, extended, context, previous or transition)"};
}

Step readKey(const Words& words) {
  const std::uint32_t code = keyCode(words[1]);
  const bool release = lower(words[0]) == "release";
  standin::Keystroke k = release ? standin::release(code) : standin::press(code);
  for (std::size_t i = 2; i < words.size(); ++i) {
    const std::string_view field = words[i];
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
    passes.count = unsigned32(words[1], "pass count");
    if (passes.count == 0 || passes.count > kMaxPasses) {
      throw Fault{"bad pass count " + quoted(words[1]) + " (expected 1 to " +
                  std::to_string(kMaxPasses) + ")"};
    }
  }
  if (words.size() == 4) passes.everyMs = unsigned32(words[3], "step");
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
     [](const Words& w) -> Step { return SetTick{unsigned32(w[1], "tick")}; }},
    {"advance", "advance N", 1, 1,
     [](const Words& w) -> Step { return Advance{unsigned32(w[1], "advance")}; }},
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
              " (expected tick, advance, subject, press, release, pass, load, unload or thread)"};
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

ParseResult parseScenario(std::string_view text) {
  ParseResult result;
  // Windows Notepad begins a UTF-8 file with one.
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(std::min(newline + 1, text.size()));
    const Words words = splitWords(line.substr(0, line.find('#')));
    if (words.empty()) continue;
    try {
      result.timeline.steps.push_back(readStep(words));
    } catch (const Fault& fault) {
      return ParseResult{{}, "line " + std::to_string(lineNumber) + ": " + fault.message};
    }
  }
  return result;
}

ReadResult readScenarioFile(const std::string& path) {
  const bool standardInput = path == "-";
  const std::string name = standardInput ? "standard input" : path;
  const auto cannotRead = [&] {
    return ReadResult{{}, "cannot read " + name + ": " + std::strerror(errno)};
  };
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) return cannotRead();
  ReadResult result;
  char buffer[1 << 16];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    result.text.append(buffer, n);
  }
  // A folder opens on some systems and fails only when read.
  if (std::ferror(file)) result = cannotRead();
  if (!standardInput) std::fclose(file);
  return result;
}

namespace {

const KeyName* namedKey(std::uint32_t code) {
  const auto named = std::ranges::find(kKeyNames, code, &KeyName::code);
  return named == kKeyNames.end() ? nullptr : &*named;
}

}  // namespace

std::string keyLabel(DWORD code) {
  const KeyName* named = namedKey(code);
  return named != nullptr ? std::string(named->shown) : format("0x%02" PRIX32, code);
}

std::string keystrokeText(const standin::Keystroke& k, KeyStyle style) {
  const auto code = static_cast<std::uint32_t>(k.key);
  const bool trace = style == KeyStyle::kTrace;
  const KeyName* named = namedKey(code);
  std::string key = format(trace ? "0x%02" PRIX32 : "0x%" PRIX32, code);
  if (named != nullptr) {
    key = trace ? key + " (" + std::string(named->shown) + ")" : std::string(named->word);
  }
  return format("%s %s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32 " previous=%" PRId32
                " transition=%" PRId32,
                k.transitionState != 0 ? "release" : "press", key.c_str(),
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
