#include "bench/bench_setup.h"

#include "bench/floor_script.h"
#include "input/key_state.h"
#include "standin/plugin_module.h"
#include "standin/standin.h"

namespace keyrelay_bench {
namespace {

constexpr SubjectHandle kSubject = 7;
constexpr DWORD kStartTick = 1'000'000;

}  // namespace

KeystrokeHandler volatile pluginHandler = onKeystroke;
KeystrokeHandler volatile floorHandler = floorKeystroke;

void loadFreshPlugin() {
  standin::unloadPlugin();
  standin::reset();
  standin::loadPlugin();  // with every key record empty, as a fresh load has
  standin::setRecording(false);
  standin::setSubject(kSubject);
  standin::setTick(kStartTick);
}

void loadFloorInstead() {
  standin::unloadPlugin();
  standin::reset();
  registerFloorScript();
  standin::setRecording(false);
  standin::setTick(kStartTick);
}

}  // namespace keyrelay_bench
