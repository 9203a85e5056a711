// Numbers as every tool reads them, from scenarios, options and the environment:
// decimal, or hexadecimal after 0x, and nothing else (no sign, no spaces, no
// octal: 010 is ten), within a range; and the messages that say what was wrong with one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harness {

// The number `text` spells, when it is one from `least` to `most`.
std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t least,
                                         std::uint64_t most);

// "bad WHAT 'TEXT' (expected LEAST to MOST, decimal or 0x hex)": the one way the
// tools state a range.
std::string numberError(std::string_view what, std::string_view text, std::uint64_t least,
                        std::uint64_t most);

// The number in the environment variable `name`, `fallback` when it is unset or
// empty; or an error that names the variable and quotes its value.
struct NumberResult {
  std::uint64_t value = 0;
  std::string error;
};
NumberResult numberFromEnvironment(const char* name, std::uint64_t fallback, std::uint64_t least,
                                   std::uint64_t most);

}  // namespace harness
