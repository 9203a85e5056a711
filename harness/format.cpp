#include "harness/format.h"

#include <cstdarg>
#include <cstdio>

namespace harness {

std::string format(const char* pattern, ...) {
  std::va_list values;
  va_start(values, pattern);
  std::va_list again;
  va_copy(again, values);
  const int n = std::vsnprintf(nullptr, 0, pattern, values);
  va_end(values);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), pattern, again);
    out.pop_back();
  }
  va_end(again);
  return out;
}

}  // namespace harness
