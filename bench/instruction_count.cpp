// keyrelay_instructions: the loops whose instructions ./bench.sh counts under
// callgrind (started with --collect-atstart=no): idle passes of the plugin and
// of the floor script, and keystrokes to the plugin's handler and to the floor's.
// Each loop alone is collected and dumped under its own name with its round
// count, "NAME ROUNDS"; the same loop code runs for plugin and floor, so the
// difference of two counts is the plugin's own code. Outside callgrind the
// requests do nothing and the loops run uncounted.
#include <valgrind/callgrind.h>

#include <string>

#include "bench/bench_setup.h"
#include "standin/plugin_module.h"
#include "standin/standin.h"

namespace {

constexpr int kRounds = 1000;

// Runs `step` once to settle (the first pass starts the script), then kRounds
// times collected, and dumps the count as "name kRounds".
template <typename Step>
void count(const char* name, Step step) {
  step();
  CALLGRIND_ZERO_STATS;
  CALLGRIND_TOGGLE_COLLECT;
  for (int i = 0; i < kRounds; ++i) step();
  CALLGRIND_TOGGLE_COLLECT;
  const std::string dumpName = std::string(name) + " " + std::to_string(kRounds);
  CALLGRIND_DUMP_STATS_AT(dumpName.c_str());
}

void countStrokes(const char* name, KeystrokeHandler handler) {
  DWORD key = kStealthKey;
  count(name, [&] { keyrelay_bench::strokeOnce(handler, key); });
}

}  // namespace

int main() {
  keyrelay_bench::loadFreshPlugin();
  count("idle-pass", [] { standin::runPass(); });
  keyrelay_bench::loadFreshPlugin();
  countStrokes("keystroke", keyrelay_bench::pluginHandler);
  keyrelay_bench::loadFloorInstead();
  count("floor-pass", [] { standin::runPass(); });
  countStrokes("tick-read", keyrelay_bench::floorHandler);
  standin::unloadPlugin();
  return 0;
}
