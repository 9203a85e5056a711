// The scenario replayed when none is given: every binding, the window edges and
// the wrap of the tick counter. Written in tools/replay/demo.scenario.
#pragma once

#include <string_view>

namespace replay {

extern const std::string_view kDemoScenario;

}  // namespace replay
