// The reference model of the three bindings, written apart from the plugin: time
// is 64-bit milliseconds that never wrap, and each key keeps its latest event with
// a mark for a release already acted on, judged when a pass looks at it. It tells
// the host calls the plugin should make, in the stand-in's terms.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "harness/timeline.h"
#include "script/natives.h"
#include "standin/standin.h"

namespace keyrelay_model {

using harness::Step;
using harness::Timeline;

// The bindings' keys and the windows, in ms, written apart from the plugin's
// constants of the same names.
inline constexpr DWORD kStealthKey = 0x58;
inline constexpr DWORD kFollowUpKey = 0x43;
inline constexpr DWORD kHoldKey = 0x11;
inline constexpr std::uint64_t kJustReleasedMs = 100;
inline constexpr std::uint64_t kHeldMs = 5000;

// What the model saw acting, so that tests can tell the timelines reach the
// interesting cases.
struct Tally {
  std::uint64_t stealthActs = 0;       // the stealth key released
  std::uint64_t followUpActs = 0;      // the follow-up key released
  std::uint64_t holdActs = 0;          // the hold key held
  std::uint64_t allThreeActs = 0;      // passes where all three act
  std::uint64_t actsAcrossWrap = 0;    // acts on an event stored before the 32-bit clock wrapped
  std::uint64_t actsOnTickZero = 0;    // acts on an event stored at 32-bit tick 0
  std::uint64_t lateReleases = 0;      // releases a pass saw too late
  std::uint64_t badKeys = 0;           // keystrokes of codes the plugin does not keep
  std::uint64_t advancesPastWrap = 0;  // single steps of 2^32 ms or more
  std::uint64_t negativeSubjectActs = 0;
};

class Model {
 public:
  // `stealthText`: where the plugin keeps the text it passes by address. The
  // clock starts at 0, as the stand-in's does.
  explicit Model(const char* stealthText);

  // Each appends the host calls the plugin makes for the step to `trace`. Setting
  // the clock moves it on to the next time the 32-bit tick reads that value.
  // Judges ticks, keystrokes, subjects, passes and threads (which call nothing);
  // throws std::invalid_argument for a load or an unload.
  void apply(const Step& step, std::vector<standin::HostCall>& trace);

  // The fewest ms to wait so that no event a pass would judge is 2^32 ms or more
  // old with its age modulo 2^32 inside its window: ages the plugin's 32-bit tick
  // cannot tell from fresh ones. 0 when there is none.
  std::uint64_t msUntilUnambiguous() const;

  const Tally& tally() const { return tally_; }

 private:
  struct Latest {
    std::uint64_t at;  // model time of the event
    bool release;      // any non-zero transition
    bool consumed;     // a pass has acted on this release
  };

  DWORD now32() const { return static_cast<DWORD>(now_); }
  void keystroke(const standin::Keystroke& keystroke, std::vector<standin::HostCall>& trace);
  bool justReleased(DWORD key, std::vector<standin::HostCall>& trace);
  bool held(DWORD key, std::vector<standin::HostCall>& trace);
  void countAct(const Latest& event);
  void pass(std::vector<standin::HostCall>& trace);

  std::uint64_t now_ = 0;
  UINT64 stealthText_;
  SubjectHandle subject_ = 0;
  std::map<DWORD, Latest> latest_;
  Tally tally_;
};

// The host calls the plugin should make for the whole timeline, the plugin's text
// at `stealthText` (by default the linked-in plugin's).
std::vector<standin::HostCall> expectedTrace(const Timeline& timeline, Tally* tally = nullptr,
                                             const char* stealthText = kStealthText);

}  // namespace keyrelay_model
