#include "input/key_state.h"

// Each field one plain 32-bit load or store, with no lock behind it.
static_assert(std::atomic<DWORD>::is_always_lock_free && sizeof(std::atomic<DWORD>) == 4);
static_assert(std::atomic<BOOL>::is_always_lock_free && sizeof(std::atomic<BOOL>) == 4);

KeyRecord keyTable[kKeyCount];

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Whether the event stored at `tick` is less than `window` ms old at `now`.
// Elapsed time is taken modulo 2^32, so a window that spans the wrap of the tick
// counter (every 49.7 days) is judged like any other, and an old event does not
// come back to life when the counter wraps. The cost of a 32-bit tick: an event
// left untouched for exactly a multiple of 2^32 ms looks new again for one
// window.
bool isWithin(DWORD now, DWORD tick, DWORD window) {
  return static_cast<DWORD>(now - tick) < window;
}

}  // namespace

void onKeystroke(DWORD key, WORD /*repeatCount*/, BYTE /*scanCode*/, BOOL /*extended*/,
                 BOOL contextCode, BOOL previousState, BOOL transitionState) {
  if (key >= kKeyCount) return;
  KeyRecord& record = keyTable[key];
  record.tick.store(GetTickCount(), kRelaxed);
  record.contextCode.store(contextCode, kRelaxed);
  record.previousState.store(previousState, kRelaxed);
  record.transitionState.store(transitionState, kRelaxed);
  record.hasEvent.store(1, kRelaxed);
}

// An event stored between the test and the clearing is wiped with the reported
// one; the script only loses a second event of the same key within one query.
bool keyJustReleased(DWORD key) {
  if (key >= kKeyCount) return false;
  const DWORD now = GetTickCount();
  const KeyRecord& record = keyTable[key];
  const bool released = record.hasEvent.load(kRelaxed) != 0 &&
                        record.transitionState.load(kRelaxed) != 0 &&
                        isWithin(now, record.tick.load(kRelaxed), kJustReleasedMs);
  if (released) clearKey(key);
  return released;
}

bool keyHeld(DWORD key) {
  if (key >= kKeyCount) return false;
  const DWORD now = GetTickCount();
  const KeyRecord& record = keyTable[key];
  return record.hasEvent.load(kRelaxed) != 0 && record.transitionState.load(kRelaxed) == 0 &&
         isWithin(now, record.tick.load(kRelaxed), kHeldMs);
}

void clearKey(DWORD key) {
  if (key >= kKeyCount) return;
  KeyRecord& record = keyTable[key];
  record.tick.store(0, kRelaxed);
  record.contextCode.store(0, kRelaxed);
  record.previousState.store(0, kRelaxed);
  record.transitionState.store(0, kRelaxed);
  record.hasEvent.store(0, kRelaxed);
}
