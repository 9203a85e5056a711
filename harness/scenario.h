// Scenarios: timelines written as text, one step a line.
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
// after 0x. A UTF-8 byte-order mark before the first line is skipped.
#pragma once

#include <string>
#include <string_view>

#include "harness/timeline.h"

namespace harness {

// The timeline in `text`, or the first fault in it: `error` then reads
// "line N: what is wrong" and `timeline` is empty.
struct ParseResult {
  Timeline timeline;
  std::string error;
};
ParseResult parseScenario(std::string_view text);

// The whole of the file at `path`, or of standard input for "-"; `error` says
// why not when it cannot be read as a file (a folder cannot).
struct ReadResult {
  std::string text;
  std::string error;
};
ReadResult readScenarioFile(const std::string& path);

// The step's scenario lines, each ending in a newline, every keystroke field
// spelled out. An advance of 2^32 ms or more takes several lines.
std::string scenarioLines(const Step& step);
std::string scenarioText(const Timeline& timeline);

// How a keystroke is shown: as a scenario line writes it ("release X repeat=1
// ..."), or as a trace shows it, by code and name ("release 0x58 (X) repeat=1 ...").
enum class KeyStyle : unsigned char { kScenario, kTrace };
std::string keystrokeText(const standin::Keystroke& keystroke, KeyStyle style);
// The name a trace gives the key `code` ("X", "C", "Ctrl"), or else its code
// ("0x5A").
std::string keyLabel(DWORD code);

}  // namespace harness
