#include "script/script_loop.h"

#include "input/key_state.h"
#include "script/natives.h"

namespace {

SubjectHandle fetchSubject() {
  // The handle is the low 32 bits; the host may leave anything in the high half.
  return static_cast<SubjectHandle>(static_cast<DWORD>(*callNative(kSubjectNative)));
}

void callStealth(SubjectHandle subject) {
  callNative(kStealthNative, zeroFilled(subject), textAddress(kStealthText));
}

}  // namespace

void runScript() {
  for (;;) {
    // Fetched afresh every pass: the game may hand out a new subject at any time.
    const SubjectHandle subject = fetchSubject();
    if (keyJustReleased(kStealthKey)) callStealth(subject);
    if (keyJustReleased(kFollowUpKey)) {
      callStealth(subject);
      callNative(kFollowUpNative, zeroFilled(subject), zeroFilled(1), zeroFilled(0), zeroFilled(0));
    }
    if (keyHeld(kHoldKey)) callNative(kHoldNative, signExtended(subject));
    scriptWait(0);
  }
}
