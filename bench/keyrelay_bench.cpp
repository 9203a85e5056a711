// keyrelay_bench: what the plugin costs, run by ./bench.sh under callgrind
// (started with --collect-atstart=no). Its loops are idle passes of the plugin
// and of a floor script, and keystrokes to the plugin's handler and to a floor
// handler; each loop alone is collected and dumped under its own name with its
// round count, "NAME ROUNDS". The same loop code runs for plugin and floor, so
// the difference of two counts is the plugin's own code. Then it counts the heap
// allocations of passes and keystrokes, which must be none. Outside callgrind the
// requests do nothing and the loops run uncounted.
#include <valgrind/callgrind.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "harness/plugin_file.h"
#include "harness/plugin_loader.h"
#include "host/host.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"
#include "standin/standin.h"
#include "tests/test_start.h"

namespace {

// Every allocation made through the global operator new, which this program
// replaces below.
std::atomic<std::uint64_t> allocations{0};

void* allocate(std::size_t bytes, std::size_t alignment) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (bytes == 0) bytes = 1;
  void* p = alignment > alignof(std::max_align_t)
                ? std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment)
                : std::malloc(bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

constexpr int kCountedRounds = 1000;
constexpr int kAllocationRounds = 100'000;

// Keeps a value the floors read from being optimised away, at no cost of its own.
template <typename T>
void keep(T value) {
  asm volatile("" : : "r"(value) : "memory");
}
char floorImage;  // stands for the floor's module; only its address is used

// The floors the plugin is measured against, with none of its logic. An idle
// pass: the subject native, three tick reads (one per binding), and the
// hand-back, which switches context just as the plugin's does.
[[noreturn]] void floorScript() {
  for (;;) {
    nativeInit(kSubjectNative);
    keep(*nativeCall());
    keep(GetTickCount());
    keep(GetTickCount());
    keep(GetTickCount());
    scriptWait(0);
  }
}

// A keystroke: the one tick read.
void floorKeystroke(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) { keep(GetTickCount()); }

// Called through a pointer, as the host calls them.
KeystrokeHandler volatile pluginHandler = onKeystroke;
KeystrokeHandler volatile floorHandler = floorKeystroke;

// A loaded plugin with nothing pressed. The stand-in records nothing, as a host
// keeps no log of calls.
void loadIdlePlugin() {
  harness::unloadPlugin();
  standin::reset();
  keyrelay_test::startLoaded(harness::PluginFile{});  // linked in: no file is read
  standin::setRecording(false);
}

// The floor script registered instead of the plugin: exactly the host calls an
// idle pass makes, in the same order.
void loadFloorInstead() {
  harness::unloadPlugin();
  standin::reset();
  scriptRegister(reinterpret_cast<HINSTANCE>(&floorImage), floorScript);
  standin::setRecording(false);
  standin::setTick(keyrelay_test::kStartTick);
}

// Runs `step` once to settle (the first pass starts the script), then
// kCountedRounds times collected, and dumps the count as "name kCountedRounds".
template <typename Step>
void count(const char* name, Step step) {
  step();
  CALLGRIND_ZERO_STATS;
  CALLGRIND_TOGGLE_COLLECT;
  for (int i = 0; i < kCountedRounds; ++i) step();
  CALLGRIND_TOGGLE_COLLECT;
  const std::string dumpName = std::string(name) + " " + std::to_string(kCountedRounds);
  CALLGRIND_DUMP_STATS_AT(dumpName.c_str());
}

// Keystrokes alternating X and C, so that the stores do not all hit one record.
void countStrokes(const char* name, KeystrokeHandler handler) {
  DWORD key = kStealthKey;
  count(name, [&] {
    handler(key, 1, 0x2D, 0, 0, 1, 1);
    key ^= kStealthKey ^ kFollowUpKey;
  });
}

// Allocations made by kAllocationRounds rounds of `work`.
template <typename Work>
std::uint64_t allocationsDuring(Work work) {
  const std::uint64_t before = allocations.load();
  for (int i = 0; i < kAllocationRounds; ++i) work(i);
  return allocations.load() - before;
}

}  // namespace

// The two allocating forms: the C++ library's array, nothrow and sized forms
// call these.
void* operator new(std::size_t bytes) { return allocate(bytes, 0); }
void* operator new(std::size_t bytes, std::align_val_t a) {
  return allocate(bytes, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }

int main() {
  loadIdlePlugin();
  count("idle-pass", [] { standin::runPass(); });
  loadIdlePlugin();
  countStrokes("keystroke", pluginHandler);
  loadFloorInstead();
  count("floor-pass", [] { standin::runPass(); });
  countStrokes("tick-read", floorHandler);

  loadIdlePlugin();
  const std::uint64_t passAllocations = allocationsDuring([](int i) {
    if (i % 2 == 0) {  // every other pass with all three bindings acting
      standin::deliverKeystroke(standin::release(kStealthKey));
      standin::deliverKeystroke(standin::release(kFollowUpKey));
      standin::deliverKeystroke(standin::press(kHoldKey));
    }
    standin::runPass();
  });
  const std::uint64_t keystrokeAllocations = allocationsDuring(
      [](int i) { pluginHandler(static_cast<DWORD>(i) % 300, 1, 0, 0, 0, 0, i & 1); });
  harness::unloadPlugin();
  std::printf("allocations in %d passes (half of them acting): %llu\n", kAllocationRounds,
              static_cast<unsigned long long>(passAllocations));
  std::printf("allocations in %d keystrokes: %llu\n", kAllocationRounds,
              static_cast<unsigned long long>(keystrokeAllocations));
  return passAllocations == 0 && keystrokeAllocations == 0 ? 0 : 1;
}
