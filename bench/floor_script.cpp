#include "bench/floor_script.h"

#include <benchmark/benchmark.h>

#include "host/host.h"
#include "script/natives.h"

namespace keyrelay_bench {
namespace {

char floorImage;  // stands for the floor's module; only its address is used

// An idle pass: the subject native, three tick reads (one per binding), and the
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

}  // namespace

void registerFloorScript() {
  scriptRegister(reinterpret_cast<HINSTANCE>(&floorImage), floorScript);
}

void floorKeystroke(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {
  benchmark::DoNotOptimize(GetTickCount());
}

}  // namespace keyrelay_bench
