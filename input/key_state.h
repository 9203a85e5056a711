// The last keystroke event of every key below kKeyCount, and the two time-window
// questions the script asks of it.
//
// Threads: onKeystroke runs when the host delivers a keyboard event, the queries on
// the script's thread; the two may differ. There is no lock: every field is one
// relaxed 32-bit atomic access with no ordering between fields, so a query may see
// fields of two different events.
#pragma once

#include <atomic>

#include "host/platform.h"

// The last event seen for one key. All zero when empty: never written, or cleared
// by keyJustReleased.
struct KeyRecord {
  std::atomic<DWORD> tick;            // GetTickCount() when the event was handled, ms
  std::atomic<BOOL> contextCode;      // copied unchanged, never read
  std::atomic<BOOL> previousState;    // copied unchanged, never read
  std::atomic<BOOL> transitionState;  // copied unchanged: non-zero release, 0 press
  // Non-zero once an event is stored. Without it an event at tick 0 with zero flags
  // would look like an empty record, and an empty record like a press at tick 0.
  std::atomic<DWORD> hasEvent;
};

// Virtual-key codes 0 to 254 have a record; 255 and above have none.
inline constexpr DWORD kKeyCount = 255;
// How long a release counts as just released, and a press as held, in ms.
inline constexpr DWORD kJustReleasedMs = 100;
inline constexpr DWORD kHeldMs = 5000;

// Static storage, zero when the module is loaded; never freed or resized.
extern KeyRecord keyTable[kKeyCount];

// The KeystrokeHandler given to the host. Stores the event of a key below
// kKeyCount, stamped with GetTickCount(), over the key's previous one; ignores any
// other key without reading the tick. Repeat count, scan code and the
// extended-key flag are not kept.
void onKeystroke(DWORD key, WORD repeatCount, BYTE scanCode, BOOL extended, BOOL contextCode,
                 BOOL previousState, BOOL transitionState);

// True when the key's last event is a release that arrived less than
// kJustReleasedMs ago; it then clears the record, so each release is reported at
// most once. Reads the tick once. False, touching nothing, for a key of
// kKeyCount or more.
bool keyJustReleased(DWORD key);

// True when the key's last event is a press that arrived less than kHeldMs ago.
// Reads the tick once, changes nothing. False for a key of kKeyCount or more.
bool keyHeld(DWORD key);

// Empties the key's record. Does nothing for a key of kKeyCount or more.
void clearKey(DWORD key);
