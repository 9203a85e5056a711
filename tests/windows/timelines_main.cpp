// keyrelay-timelines: the random timelines of the native tests, run through the
// shipped module as the Windows loader loads it, and held against the same model.
// KEYRELAY_TIMELINES sets how many, KEYRELAY_SEED the first seed; a failure prints
// the seed and the shortest failing prefix as a scenario for keyrelay-replay.
#include "harness/plugin_module.h"
#include "tests/model/plugin_runner.h"

int main() {
  if (!harness::loadPlugin()) return 1;
  return keyrelay_model::runRandomTimelines(10'000);
}
