// Replays a scenario through the stand-in host and tells what the plugin did.
#pragma once

#include <string>

#include "tools/replay/scenario.h"

namespace replay {

// Loads the plugin, runs the scenario's steps in order and unloads the plugin,
// returning the trace: a line for each step, and under each pass the natives the
// plugin called, by name, with their argument slots in hexadecimal and text
// arguments as text. Uses the process's one stand-in host, from reset.
std::string replayScenario(const Scenario& scenario);

}  // namespace replay
