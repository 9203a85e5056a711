// The execution context the stand-in runs the script on: its own stack, entered
// and left by switching, so that a routine that never returns can be run one
// pass at a time. One script at a time. One file per platform.
#pragma once

#include "host/host.h"

namespace standin::context {

// Drops any earlier script and sets `routine` up on a fresh stack, not yet run.
void create(ScriptRoutine routine);
// Runs the script from its start or from where it last yielded, until it yields
// again or returns. False, running nothing, when there is no script or it has
// returned.
bool resume();
// From the script: back to the driver, until the next resume.
void yieldToDriver();
// Whether the caller is running on the script's context.
bool inScript();
// Whether the script ended by an exception, caught where its context begins.
bool threw();
// The function at the bottom of the script's stack: the one that calls the
// routine. A walk up the stack from the script must reach it.
const void* entryFunction();
// Forgets the script without running it again.
void drop();

// Runs `routine` where a context begins, as a host guards the scripts it runs:
// an exception out of it ends the script, not the process. True when one did.
inline bool runGuarded(ScriptRoutine routine) {
  try {
    routine();
  } catch (...) {
    return true;
  }
  return false;
}

}  // namespace standin::context
