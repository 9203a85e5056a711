// Scenarios: timelines written as text, one step a line.
//
//   # a comment, to the end of the line; blank lines are skipped
//   tick MS              set the clock to MS (0 to 0xFFFFFFFF)
//   advance MS           move the clock on by MS, wrapping at 2^32
//   subject N            the subject handle from now on (a signed 32-bit value,
//                        or its bits as 0 to 0xFFFFFFFF)
//   press KEY [F=N ...]  deliver a key press (transition 0, previous 0)
//   release KEY [F=N ...]  deliver a key release (transition 1, previous 1)
//   pass [N [every MS]]  run N passes (1 if omitted, at most 1000000), moving the
//                        clock on by MS after each (0 if omitted)
//   unload               unload the plugin (it is loaded when a replay starts
//                        and unloaded when it ends)
//   load                 load it again
//   thread               start a thread in the process and wait for its end
//   expect NATIVE[, NATIVE ...]
//   expect nothing       what each pass of the pass line just before must call
//                        (see below)
//
// An expect line states what a pass line is for, and every replay checks it: each
// of the line's passes must run the script, call the subject native first, as
// every pass does, and then exactly the natives listed, in that order, or none
// after `expect nothing`. The subject is implied and not listed; NATIVE is
// stealth, follow-up or hold (any case), commas between them. An expect line
// follows its pass line, with only blank lines and comments between, and a pass
// line has at most one. A pass line without one is checked only by a whole
// expected trace, where there is one. An unmet expectation does not stop the
// replay: it is reported as "line N: expect ...: pass P called ...", naming the
// expect line, what it expects and what the first pass that did otherwise called.
//
// KEY is a binding's key by its name, stealth-key, follow-up-key or hold-key, or a
// virtual-key code, 0 to 0xFFFFFFFF. MS is a number of ms, or a window by its name,
// just-released-ms or held-ms. A name (in any case) stands for the plugin's
// constant of that name (kStealthKey, kHeldMs...), so a scenario written with names
// holds whatever their values; a name may be followed by +N or -N, which must stay
// within the range ("held-ms-1", "stealth-key+0x100"). The
// optional fields F set the rest of the keystroke message: repeat (0 to 0xFFFF),
// scan (0 to 0xFF), and the flags extended, context, previous and transition
// (signed 32-bit values, or their bits). Numbers are decimal, or hexadecimal
// after 0x (harness/number.h). Words are separated by spaces or tabs; a line ends
// at a line feed, a carriage return and line feed, or a lone carriage return, and
// may be at most 4096 bytes long. A UTF-8 byte-order mark before the first line is
// skipped.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "harness/timeline.h"
#include "host/host.h"

namespace harness {

// An expect line: the natives each pass of the pass line before it calls after
// the subject, in order; none for `expect nothing`.
struct Expectation {
  std::size_t line = 0;  // the expect line's number in the scenario, from 1
  std::vector<NativeHash> natives;
};

// Reads a scenario step by step from a source of bytes, holding one line at a
// time: memory does not grow with the scenario. Stops at the first fault.
class ScenarioReader {
 public:
  // The next byte of the input, 0 to 255, or -1 at its end.
  using ByteSource = std::function<int()>;
  // Longer lines are a fault: a line is one step and a comment.
  static constexpr std::size_t kMaxLineBytes = 4096;

  explicit ScenarioReader(ByteSource nextByte);
  // The next step; none at the end of the input, or at the first fault.
  std::optional<Step> next();
  // Once next() has stopped at a fault, "line N: what is wrong"; else empty.
  const std::string& error() const { return error_; }
  // The expect line that the last call of next() read on its way to the step it
  // returned (or to the end, or to a fault): it is about the pass line that the
  // call before returned. Empty when there was none.
  const std::optional<Expectation>& expectation() const { return expectation_; }

 private:
  static constexpr int kNoByte = -2;
  int take();
  bool readLine();
  Expectation readExpectation(const std::vector<std::string_view>& words) const;

  ByteSource nextByte_;
  int pending_ = kNoByte;  // a byte read past a lone carriage return
  std::string line_;
  std::size_t lineNumber_ = 0;
  std::string error_;
  std::size_t passLine_ = 0;  // the line of the step last returned when a pass, else 0
  std::optional<Expectation> expectation_;
};

// The bytes of `text`, which must outlive the source.
ScenarioReader::ByteSource bytesOf(std::string_view text);

// The timeline in `text` and its expectations, or the first fault in it: `error`
// then reads "line N: what is wrong" and the rest is empty.
struct ParseResult {
  Timeline timeline;
  std::string error;
  std::vector<Expectation> expectations = {};
};
ParseResult parseScenario(std::string_view text);

// The step's scenario lines, each ending in a newline, every keystroke field
// spelled out. An advance of 2^32 ms or more takes several lines.
std::string scenarioLines(const Step& step);
std::string scenarioText(const Timeline& timeline);

// How a keystroke is shown: as a scenario line writes it ("release stealth-key
// repeat=1 ...", "press 0x5A ..."), or as a trace shows it, codes of one byte in two
// digits ("press 0x0A ...").
enum class KeyStyle : unsigned char { kScenario, kTrace };
std::string keystrokeText(const standin::Keystroke& keystroke, KeyStyle style);
// The key `code` as a scenario or a trace writes it: a binding's key by its name
// ("stealth-key"), a code above 255 whose low byte is a binding's key as that name
// and the difference ("stealth-key+0x100"), any other key by its code ("0x5A").
std::string keyLabel(DWORD code, KeyStyle style = KeyStyle::kTrace);

}  // namespace harness
