#include "tools/replay/scenario.h"

#include <array>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <optional>

namespace replay {
namespace {

constexpr std::uint32_t kMaxPasses = 1'000'000;

// The keys a scenario may name, as it writes them; read in any case.
struct KeyName {
  std::string_view name;
  std::uint32_t code;
};
constexpr std::array<KeyName, 3> kKeyNames = {{{"X", 0x58}, {"C", 0x43}, {"CTRL", 0x11}}};

struct Fault {
  std::string message;
};

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
    throw Fault{"bad " + std::string(what) + " '" + std::string(word) +
                "' (expected 0 to 4294967295, decimal or 0x hex)"};
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
    throw Fault{"bad " + std::string(what) + " '" + std::string(word) +
                "' (expected a signed 32-bit value or its bits, 0 to 0xFFFFFFFF)"};
  }
  const auto bits = static_cast<std::uint32_t>(negative ? 0u - *magnitude : *magnitude);
  return static_cast<std::int32_t>(bits);
}

std::uint32_t keyCode(std::string_view word) {
  const std::string name = lower(word);
  for (const KeyName& key : kKeyNames) {
    if (name == lower(key.name)) return key.code;
  }
  if (name == "control") return 0x11;
  const auto value = parseUnsigned(word, std::numeric_limits<std::uint32_t>::max());
  if (!value) {
    throw Fault{"bad key '" + std::string(word) +
                "' (expected X, C, CTRL or a code from 0 to 0xFFFFFFFF)"};
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
      throw Fault{"bad field '" + std::string(field) + "' (expected name=value)"};
    }
    const std::string name = lower(field.substr(0, eq));
    const std::string_view value = field.substr(eq + 1);
    if (name == "repeat") {
      const auto n = parseUnsigned(value, 0xFFFF);
      if (!n) throw Fault{"bad repeat '" + std::string(value) + "' (expected 0 to 65535)"};
      k.repeatCount = static_cast<WORD>(*n);
    } else if (name == "scan") {
      const auto n = parseUnsigned(value, 0xFF);
      if (!n) throw Fault{"bad scan '" + std::string(value) + "' (expected 0 to 255)"};
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
      throw Fault{"unknown field '" + std::string(field.substr(0, eq)) +
                  "' (expected repeat, scan, extended, context, previous or transition)"};
    }
  }
  return Key{k};
}

Passes parsePasses(const std::vector<std::string_view>& words) {
  constexpr std::string_view kUsage = "pass [N [every MS]]";
  if (words.size() == 3 || words.size() > 4) throw Fault{"usage: " + std::string(kUsage)};
  Passes passes{1, 0};
  if (words.size() >= 2) {
    passes.count = unsigned32(words[1], "pass count");
    if (passes.count == 0 || passes.count > kMaxPasses) {
      throw Fault{"bad pass count '" + std::string(words[1]) + "' (expected 1 to " +
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
  throw Fault{"unknown word '" + std::string(words[0]) +
              "' (expected tick, advance, subject, press, release, pass, load, unload or thread)"};
}

}  // namespace

ParseResult parseScenario(std::string_view text) {
  ParseResult result;
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
      result.scenario.steps.push_back(parseStep(words));
    } catch (const Fault& fault) {
      return ParseResult{{}, "line " + std::to_string(lineNumber) + ": " + fault.message};
    }
  }
  return result;
}

std::string keystrokeLine(const standin::Keystroke& k) {
  std::string key;
  for (const KeyName& known : kKeyNames) {
    if (known.code == k.key) key = known.name;
  }
  char buffer[200];
  if (key.empty()) {
    std::snprintf(buffer, sizeof buffer, "0x%" PRIX32, static_cast<std::uint32_t>(k.key));
    key = buffer;
  }
  std::snprintf(buffer, sizeof buffer,
                "%s %s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32 " previous=%" PRId32
                " transition=%" PRId32 "\n",
                k.transitionState != 0 ? "release" : "press", key.c_str(),
                static_cast<unsigned>(k.repeatCount), static_cast<unsigned>(k.scanCode), k.extended,
                k.contextCode, k.previousState, k.transitionState);
  return buffer;
}

}  // namespace replay
