#include "harness/number.h"

#include <charconv>
#include <cinttypes>
#include <cstdlib>

#include "harness/format.h"
#include "harness/quote.h"

namespace harness {

std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t least,
                                         std::uint64_t most) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  // from_chars takes no sign for an unsigned type, nor spaces or a second 0x.
  if (text.empty() || error != std::errc() || stop != end || value < least || value > most) {
    return std::nullopt;
  }
  return value;
}

std::string numberError(std::string_view what, std::string_view text, std::uint64_t least,
                        std::uint64_t most) {
  return format("bad %.*s %s (expected %" PRIu64 " to %" PRIu64 ", decimal or 0x hex)",
                static_cast<int>(what.size()), what.data(), quoted(text).c_str(), least, most);
}

NumberResult numberFromEnvironment(const char* name, std::uint64_t fallback, std::uint64_t least,
                                   std::uint64_t most) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return {fallback, ""};
  if (const std::optional<std::uint64_t> value = parseNumber(text, least, most))
    return {*value, ""};
  return {0, numberError(std::string(name) + " value", text, least, most)};
}

}  // namespace harness
