// printf-style formatting into a std::string, for the replay tool's texts.
#pragma once

#include <cstdio>
#include <string>

namespace harness {

template <typename... Values>
std::string format(const char* pattern, Values... values) {
  const int n = std::snprintf(nullptr, 0, pattern, values...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), pattern, values...);
  out.pop_back();
  return out;
}

}  // namespace harness
