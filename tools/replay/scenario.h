// Scenarios: timelines of key events, clock and subject settings and script
// passes, written as text, one step a line.
//
//   # a comment, to the end of the line; blank lines are skipped
//   tick N               set the clock to N ms (0 to 0xFFFFFFFF)
//   advance N            move the clock on by N ms, wrapping at 2^32
//   subject N            the subject handle from now on (a signed 32-bit value,
//                        or its bits as 0 to 0xFFFFFFFF)
//   press KEY [F=N ...]  deliver a key press (transition 0, previous 0)
//   release KEY [F=N ...]  deliver a key release (transition 1, previous 1)
//   pass [N [every MS]]  run N passes (1 if omitted), moving the clock on by MS
//                        after each (0 if omitted)
//   unload               unload the plugin (it is loaded when a replay starts
//                        and unloaded when it ends)
//   load                 load it again
//   thread               start a thread in the process and wait for its end
//
// KEY is X, C, CTRL (any case) or a virtual-key code, 0 to 0xFFFFFFFF. The
// optional fields F set the rest of the keystroke message: repeat (0 to 0xFFFF),
// scan (0 to 0xFF), and the flags extended, context, previous and transition
// (signed 32-bit values, or their bits). Numbers are decimal, or hexadecimal
// after 0x.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "standin/standin.h"

namespace replay {

struct SetTick {
  std::uint32_t ms;
};
struct Advance {
  std::uint32_t ms;
};
struct SetSubject {
  std::int32_t subject;
};
struct Key {
  standin::Keystroke keystroke;
};
struct Passes {
  std::uint32_t count;
  std::uint32_t everyMs;
};

struct Load {};
struct Unload {};
struct Thread {};

using Step = std::variant<SetTick, Advance, SetSubject, Key, Passes, Load, Unload, Thread>;

struct Scenario {
  std::vector<Step> steps;
};

// The scenario in `text`, or the first fault in it: `error` then reads
// "line N: what is wrong" and `scenario` is empty.
struct ParseResult {
  Scenario scenario;
  std::string error;
};
ParseResult parseScenario(std::string_view text);

// The scenario line, ending in a newline, that delivers `keystroke` with every
// field as given.
std::string keystrokeLine(const standin::Keystroke& keystroke);

}  // namespace replay
