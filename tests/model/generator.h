// Seeded random timelines: key events for X, C, Ctrl, other keys and codes of 255
// and above with arbitrary flag values, subject changes, clock steps of every size
// (window edges, the wrap of the 32-bit tick, 2^32 ms and more) and passes. The
// same seed makes the same timeline on every machine.
#pragma once

#include <cstdint>

#include "tests/model/timeline.h"

namespace keyrelay_model {

// Already unambiguous (see unambiguous.h); 1 to kMaxRandomSteps steps before that.
Timeline randomTimeline(std::uint64_t seed);

inline constexpr std::size_t kMaxRandomSteps = 48;
// The first seed of a run that names none: fixed, so that runs repeat.
inline constexpr std::uint64_t kDefaultSeed = 0x6B657972656C6179;

}  // namespace keyrelay_model
