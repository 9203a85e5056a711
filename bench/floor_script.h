// The floors the plugin is measured against: a script that makes exactly the host
// calls an idle pass makes, in the same order, and a keystroke handler that makes
// the one tick read a keystroke makes, both with none of the plugin's logic.
#pragma once

#include "host/platform.h"

namespace keyrelay_bench {

// Registers the floor script with the stand-in host, in place of any other.
void registerFloorScript();

// A keystroke handler that only reads the tick.
void floorKeystroke(DWORD key, WORD repeatCount, BYTE scanCode, BOOL extended, BOOL contextCode,
                    BOOL previousState, BOOL transitionState);

}  // namespace keyrelay_bench
