#include "harness/quote.h"

#include "harness/format.h"

namespace harness {

std::string quoted(std::string_view text, char quote, std::size_t most) {
  std::string out(1, quote);
  for (const char c : text.substr(0, most)) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = byte >= 0x20 && byte < 0x7F && c != quote && c != '\\';
    out += plain ? std::string(1, c) : format("\\x%02X", byte);
  }
  out += quote;
  return text.size() > most ? out + "..." : out;
}

}  // namespace harness
