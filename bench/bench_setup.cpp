#include "bench/bench_setup.h"

#include <benchmark/benchmark.h>

#include "input/key_state.h"
#include "script/natives.h"
#include "standin/plugin_module.h"
#include "standin/standin.h"

namespace keyrelay_bench {
namespace {

constexpr SubjectHandle kSubject = 7;
constexpr DWORD kStartTick = 1'000'000;

char floorImage;  // stands for the floor's module; only its address is used

// The floors the plugin is measured against, with none of its logic. An idle
// pass: the subject native, three tick reads (one per binding), and the
// hand-back, which switches context just as the plugin's does.
[[noreturn]] void floorScript() {
  for (;;) {
    nativeInit(kSubjectNative);
    benchmark::DoNotOptimize(*nativeCall());
    benchmark::DoNotOptimize(GetTickCount());
    benchmark::DoNotOptimize(GetTickCount());
    benchmark::DoNotOptimize(GetTickCount());
    scriptWait(0);
  }
}

// A keystroke: the one tick read.
void floorKeystroke(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {
  benchmark::DoNotOptimize(GetTickCount());
}

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
  scriptRegister(reinterpret_cast<HINSTANCE>(&floorImage), floorScript);
  standin::setRecording(false);
  standin::setTick(kStartTick);
}

}  // namespace keyrelay_bench
