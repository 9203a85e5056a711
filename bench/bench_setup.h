// What the timed benchmark and the instruction count share: the plugin loaded
// fresh, or the floors in its place, on the stand-in host.
#pragma once

#include "host/host.h"
#include "script/script_loop.h"

namespace keyrelay_bench {

// A loaded plugin with nothing pressed. The stand-in records nothing, as a host
// keeps no log of calls.
void loadFreshPlugin();
// The floor script registered instead of the plugin: exactly the host calls an
// idle pass makes, in the same order, with none of the plugin's logic.
void loadFloorInstead();

// The plugin's keystroke handler and the floor's, which makes only the one tick
// read a keystroke makes; called through a pointer, as the host calls them.
extern KeystrokeHandler volatile pluginHandler;
extern KeystrokeHandler volatile floorHandler;

// Delivers one keystroke, alternating X and C so that the stores do not all hit
// one record, to `handler`.
inline void strokeOnce(KeystrokeHandler handler, DWORD& key) {
  handler(key, 1, 0x2D, 0, 0, 1, 1);
  key ^= kStealthKey ^ kFollowUpKey;
}

}  // namespace keyrelay_bench
