// Text in quotes, for messages and traces, in a form that reads back one way only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace harness {

// How much of a word a message shows, so that a huge line does not come back as a
// huge message.
inline constexpr std::size_t kMostQuoted = 40;

// `text` between two `quote` characters. Every byte outside printable ASCII, the
// quote character and the backslash are written \xNN (two upper-case hex digits),
// so a quote inside is never the closing one, and a backslash always begins an
// escape. At most `most` bytes of it are shown; a longer text is cut there, and
// "..." follows the closing quote.
std::string quoted(std::string_view text, char quote = '\'', std::size_t most = kMostQuoted);

}  // namespace harness
