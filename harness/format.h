// printf-style formatting into a std::string, for the tools' texts. A C-variadic
// function with the printf format attribute, so that the compiler checks every
// call's pattern against its arguments.
#pragma once

#include <string>

namespace harness {

// `pattern` filled in as std::snprintf fills it; empty when it makes nothing or
// cannot be formatted.
[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...);

}  // namespace harness
