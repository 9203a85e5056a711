// The one place where timelines bend to the plugin's 32-bit tick. An event left
// untouched for a multiple of 2^32 ms looks new again to the plugin (an accepted
// limit); the model keeps 64-bit time and would disagree there. So before each
// pass that would judge such an event, the clock moves on just far enough that it
// does not. Every other age, across the wrap too and past 2^32 ms, stays as made.
#pragma once

#include "tools/replay/timeline.h"

namespace keyrelay_model {

// `timeline` with an advance inserted before each pass that needs one.
replay::Timeline unambiguous(const replay::Timeline& timeline);

}  // namespace keyrelay_model
