// What the plugin makes of the last event of a watched key, judged from its times
// as the plugin judges them: a release acts in the first pass after it, if that
// pass comes while the release is younger than its age limit; a press of the held
// key acts in every pass that comes while it is. Pure: any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "host/platform.h"

namespace sandbox {

enum class Verdict : unsigned char {
  kActsOnRelease,  // a press of a key whose release acts
  kNotHeld,        // a release of the held key: nothing acts
  kWillAct,        // the next pass is due under the age limit: it acts
  kActed,          // a release the first pass after it saw under the age limit
  kActedAndPast,   // a press of the held key that passes acted on; now past the age limit
  kMissed,         // no pass came, nor is due, under the age limit
};

// An event's times, all in ms.
struct EventTimes {
  bool actsOnPress = false;  // its key acts while held (on a press), not on a release
  bool release = false;      // the event is a release
  DWORD ageLimitMs = 0;      // the age under which the plugin acts on the key's event
  DWORD ageMs = 0;           // the event's age now
  DWORD nextPassInMs = 0;    // from now until the next pass is due; 0 when it is due
  // The event's age when the first pass after it began; none before that pass.
  std::optional<DWORD> firstPassAgeMs;
  // The gap from the last pass before the event to the first pass after it, or
  // to the next one due while there is none: the length of the frame it fell in,
  // whatever the frame time. None when no pass came before it.
  std::optional<DWORD> passGapMs;
};

Verdict judgeEvent(const EventTimes& event);

// The verdict as the display shows it, at most kVerdictColumns characters for
// times up to 99999 ms: "will act: next pass at 40 ms, under 100 ms", "missed:
// first pass at 180 ms, past 100 ms (a 250 ms frame)"...
inline constexpr std::size_t kVerdictColumns = 64;
std::string verdictText(const EventTimes& event, Verdict verdict);

}  // namespace sandbox
