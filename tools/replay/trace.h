// Replays a scenario through the stand-in host and tells what the plugin did.
#pragma once

#include <string>

#include "tools/replay/scenario.h"

namespace replay {

// Loads the plugin, runs the scenario's steps in order and unloads the plugin if
// it is still loaded, returning the trace: a line for each step, and under each pass the natives
// the plugin called, by name, with their argument slots in hexadecimal and text arguments as text.
// Uses the process's one stand-in host, from reset.
struct Replay {
  std::string trace;
  bool loadFailed = false;  // some load of the plugin failed; the trace says which
};
Replay replayScenario(const Scenario& scenario);

}  // namespace replay
