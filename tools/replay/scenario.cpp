#include "tools/replay/scenario.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

#include "tools/replay/format.h"

namespace replay {
namespace {

constexpr std::uint32_t kMaxPasses = 1'000'000;
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
constexpr std::array<KeyName, 3> kKeyNames = {
    {{"X", "X", 0x58}, {"C", "C", 0x43}, {"CTRL", "Ctrl", 0x11}}};

struct Fault {
  std::string message;
};

std::string quoted(std::string_view word) {
  if (word.size() <= kMaxQuoted) return "'" + std::string(word) + "'";
  return "'" + std::string(word.substr(0, kMaxQuoted)) + "...' (" + std::to_string(word.size()) +
         " characters)";
}

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    std::size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > i) words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

std::string lower(std::string_view word) {
  std::string out(word);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// An unsigned number, decimal or 0x-hexadecimal, no greater than `max`.
std::optional<std::uint64_t> parseUnsigned(std::string_view word, std::uint64_t max) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  if (word.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
  if (ec != std::errc() || end != word.data() + word.size() || value > max) return std::nullopt;
  return value;
}

std::uint32_t unsigned32(std::string_view word, std::string_view what) {
  const auto value = parseUnsigned(word, std::numeric_limits<std::uint32_t>::max());
  if (!value) {
    throw Fault{"bad " + std::string(what) + " " + quoted(word) +
                " (expected 0 to 4294967295, decimal or 0x hex)"};
  }
  return static_cast<std::uint32_t>(*value);
}

// A signed 32-bit value: -2147483648 to 2147483647, or its bits as 0 to 0xFFFFFFFF.
std::int32_t signed32(std::string_view word, std::string_view what) {
  const bool negative = !word.empty() && word[0] == '-';
  const auto magnitude =
      parseUnsigned(negative ? word.substr(1) : word,
                    negative ? 0x80000000ull : std::numeric_limits<std::uint32_t>::max());
  if (!magnitude) {
    throw Fault{"bad " + std::string(what) + " " + quoted(word) +
                " (expected a signed 32-bit value or its bits, 0 to 0xFFFFFFFF)"};
  }
  const auto bits = static_cast<std::uint32_t>(negative ? 0u - *magnitude : *magnitude);
  return static_cast<std::int32_t>(bits);
}

std::uint32_t keyCode(std::string_view word) {
  const std::string name = lower(word);
  for (const KeyName& key : kKeyNames) {
    if (name == lower(key.word)) return key.code;
  }
  if (name == "control") return 0x11;
  const auto value = parseUnsigned(word, std::numeric_limits<std::uint32_t>::max());
  if (!value) {
    throw Fault{"bad key " + quoted(word) +
                " (expected X, C, CTRL or a code from 0 to 0xFFFFFFFF)"};
  }
  return static_cast<std::uint32_t>(*value);
}

void expectArguments(const std::vector<std::string_view>& words, std::size_t least,
                     std::size_t most, std::string_view usage) {
  const std::size_t given = words.size() - 1;
  if (given < least || given > most) throw Fault{"usage: " + std::string(usage)};
}

Key parseKey(const std::vector<std::string_view>& words, bool isRelease) {
  if (words.size() < 2) throw Fault{"usage: " + std::string(words[0]) + " KEY [field=N ...]"};
  const std::uint32_t code = keyCode(words[1]);
  standin::Keystroke k = isRelease ? standin::release(code) : standin::press(code);
  for (std::size_t i = 2; i < words.size(); ++i) {
    const std::string_view field = words[i];
    const std::size_t eq = field.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == field.size()) {
      throw Fault{"bad field " + quoted(field) + " (expected name=value)"};
    }
    const std::string name = lower(field.substr(0, eq));
    const std::string_view value = field.substr(eq + 1);
    if (name == "repeat") {
      const auto n = parseUnsigned(value, 0xFFFF);
      if (!n) throw Fault{"bad repeat " + quoted(value) + " (expected 0 to 65535)"};
      k.repeatCount = static_cast<WORD>(*n);
    } else if (name == "scan") {
      const auto n = parseUnsigned(value, 0xFF);
      if (!n) throw Fault{"bad scan " + quoted(value) + " (expected 0 to 255)"};
      k.scanCode = static_cast<BYTE>(*n);
    } else if (name == "extended") {
      k.extended = signed32(value, name);
    } else if (name == "context") {
      k.contextCode = signed32(value, name);
    } else if (name == "previous") {
      k.previousState = signed32(value, name);
    } else if (name == "transition") {
      k.transitionState = signed32(value, name);
    } else {
      throw Fault{"unknown field " + quoted(field.substr(0, eq)) +
                  " (expected repeat, scan, extended, context, previous or transition)"};
    }
  }
  return Key{k};
}

Passes parsePasses(const std::vector<std::string_view>& words) {
  constexpr std::string_view kUsage = "pass [N [every MS]]";
  if (words.size() == 3 || words.size() > 4) throw Fault{"usage: " + std::string(kUsage)};
  Passes passes;
  if (words.size() >= 2) {
    passes.count = unsigned32(words[1], "pass count");
    if (passes.count == 0 || passes.count > kMaxPasses) {
      throw Fault{"bad pass count " + quoted(words[1]) + " (expected 1 to " +
                  std::to_string(kMaxPasses) + ")"};
    }
  }
  if (words.size() == 4) {
    if (lower(words[2]) != "every") throw Fault{"usage: " + std::string(kUsage)};
    passes.everyMs = unsigned32(words[3], "step");
  }
  return passes;
}

Step parseStep(const std::vector<std::string_view>& words) {
  const std::string verb = lower(words[0]);
  if (verb == "tick") {
    expectArguments(words, 1, 1, "tick N");
    return SetTick{unsigned32(words[1], "tick")};
  }
  if (verb == "advance") {
    expectArguments(words, 1, 1, "advance N");
    return Advance{unsigned32(words[1], "advance")};
  }
  if (verb == "subject") {
    expectArguments(words, 1, 1, "subject N");
    return SetSubject{signed32(words[1], "subject")};
  }
  if (verb == "press") return parseKey(words, false);
  if (verb == "release") return parseKey(words, true);
  if (verb == "pass") return parsePasses(words);
  if (verb == "load") {
    expectArguments(words, 0, 0, "load");
    return Load{};
  }
  if (verb == "unload") {
    expectArguments(words, 0, 0, "unload");
    return Unload{};
  }
  if (verb == "thread") {
    expectArguments(words, 0, 0, "thread");
    return Thread{};
  }
  throw Fault{"unknown word " + quoted(words[0]) +
              " (expected tick, advance, subject, press, release, pass, load, unload or thread)"};
}

}  // namespace

ParseResult parseScenario(std::string_view text) {
  ParseResult result;
  // Windows Notepad begins a UTF-8 file with one.
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = splitWords(line);
    if (words.empty()) continue;
    try {
      result.timeline.steps.push_back(parseStep(words));
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

std::string keystrokeText(const standin::Keystroke& k, KeyStyle style) {
  const auto code = static_cast<std::uint32_t>(k.key);
  std::string key = style == KeyStyle::kTrace ? format("0x%02" PRIX32, code) : "";
  for (const KeyName& known : kKeyNames) {
    if (known.code != code) continue;
    key = style == KeyStyle::kTrace ? key + " (" + std::string(known.shown) + ")"
                                    : std::string(known.word);
  }
  if (key.empty()) key = format("0x%" PRIX32, code);
  return format("%s %s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32 " previous=%" PRId32
                " transition=%" PRId32,
                k.transitionState != 0 ? "release" : "press", key.c_str(),
                static_cast<unsigned>(k.repeatCount), static_cast<unsigned>(k.scanCode), k.extended,
                k.contextCode, k.previousState, k.transitionState);
}

std::string scenarioLines(const Step& step) {
  return std::visit(
      [](const auto& s) -> std::string {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, SetTick>) {
          return format("tick %" PRIu32 "\n", s.ms);
        } else if constexpr (std::is_same_v<T, Advance>) {
          // A line takes a 32-bit advance.
          std::string lines;
          std::uint64_t left = s.ms;
          do {
            const std::uint64_t chunk = std::min<std::uint64_t>(left, 0xFFFFFFFFu);
            lines += format("advance %" PRIu64 "\n", chunk);
            left -= chunk;
          } while (left != 0);
          return lines;
        } else if constexpr (std::is_same_v<T, SetSubject>) {
          return format("subject %" PRId32 "\n", s.subject);
        } else if constexpr (std::is_same_v<T, Key>) {
          return keystrokeText(s.keystroke, KeyStyle::kScenario) + "\n";
        } else if constexpr (std::is_same_v<T, Passes>) {
          if (s.everyMs != 0)
            return format("pass %" PRIu32 " every %" PRIu32 "\n", s.count, s.everyMs);
          return s.count == 1 ? "pass\n" : format("pass %" PRIu32 "\n", s.count);
        } else if constexpr (std::is_same_v<T, Load>) {
          return "load\n";
        } else if constexpr (std::is_same_v<T, Unload>) {
          return "unload\n";
        } else {
          return "thread\n";
        }
      },
      step);
}

std::string scenarioText(const Timeline& timeline) {
  std::string text;
  for (const Step& step : timeline.steps) text += scenarioLines(step);
  return text;
}

}  // namespace replay
