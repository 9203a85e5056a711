// A timeline made from the fuzzer's bytes: the same kinds of steps the random
// timelines have, each value chosen by the input.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include "tests/model/timeline.h"

namespace keyrelay_fuzz {

// Not yet unambiguous (see tests/model/unambiguous.h). At most kMaxFuzzedSteps
// steps.
keyrelay_model::Timeline timelineFrom(FuzzedDataProvider& data);

inline constexpr std::size_t kMaxFuzzedSteps = 256;

}  // namespace keyrelay_fuzz
