// keyrelay-timelines: the random timelines of the native tests, run through the
// shipped module as the Windows loader loads it, and checked against the same model.
// KEYRELAY_TIMELINES sets how many, KEYRELAY_SEED the first seed; a failure prints
// the seed and the shortest failing prefix as a scenario for keyrelay-replay. The
// module is $KEYRELAY_PLUGIN, moved off its base with KEYRELAY_MOVE_BASE=1.
#include "harness/plugin_loader.h"
#include "tests/model/plugin_runner.h"

int main() {
  harness::PluginFile plugin;
  if (const int status = harness::loadPluginNamedByEnvironment("keyrelay-timelines", plugin)) {
    return status;
  }
  return keyrelay_model::runRandomTimelines(10'000, plugin);
}
