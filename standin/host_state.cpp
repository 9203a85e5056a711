// The stand-in's state and its driver-facing controls.
#include <algorithm>
#include <atomic>

#include "standin/host_state.h"
#include "standin/script_context.h"
#include "standin/standin.h"

namespace standin {

HostState& state() {
  static HostState instance;
  return instance;
}

namespace {

// Tick reads are counted per thread: each thread adds to a counter of its own
// with a plain load and store, no locked instruction, so that counting costs
// little beside the plugin's own work, even in its keystroke handler. The total
// is exact whenever no thread is reading the tick.
struct ReadCounters {
  // A spin lock: the list changes only when a thread first reads the tick or
  // ends. (MinGW's C++ library for Windows threads has no std::mutex.)
  std::atomic_flag locked;
  std::vector<std::atomic<unsigned long long>*> live;
  unsigned long long ended = 0;  // counted by threads that have ended
};

ReadCounters& readCounters() {
  static ReadCounters counters;
  return counters;
}

// Holds the counters' lock for its lifetime.
class Locked {
 public:
  Locked() : all_(readCounters()) {
    while (all_.locked.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~Locked() { all_.locked.clear(std::memory_order_release); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  ReadCounters* operator->() const { return &all_; }

 private:
  ReadCounters& all_;
};

struct ThreadReads {
  std::atomic<unsigned long long> count{0};
  ThreadReads() { Locked()->live.push_back(&count); }
  ~ThreadReads() {
    const Locked all;
    all->ended += count.load(std::memory_order_relaxed);
    all->live.erase(std::find(all->live.begin(), all->live.end(), &count));
  }
  ThreadReads(const ThreadReads&) = delete;
  ThreadReads& operator=(const ThreadReads&) = delete;
};

thread_local ThreadReads threadReads;

void countTickRead() {
  std::atomic<unsigned long long>& count = threadReads.count;
  count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void clearTickReads() {
  const Locked all;
  for (auto* count : all->live) count->store(0, std::memory_order_relaxed);
  all->ended = 0;
}

}  // namespace

void appendCall(Op op, UINT64 value, UINT64 routine) {
  state().calls.push_back(HostCall{op, value, routine, context::inScript()});
}

void reset() {
  context::drop();
  HostState& s = state();
  s.tick.store(0, std::memory_order_relaxed);
  clearTickReads();
  s.calls.clear();
  s.recording = true;
  s.subject = 0;
  s.scriptModule = nullptr;
  s.scriptRoutine = nullptr;
  s.handler = nullptr;
  s.result = 0;
#if defined(_WIN32)
  s.nativeCallProbe = nullptr;
  s.tickReadProbe = nullptr;
#endif
}

void setTick(DWORD ms) { state().tick.store(ms, std::memory_order_relaxed); }
void advanceTick(DWORD ms) { state().tick.fetch_add(ms, std::memory_order_relaxed); }
DWORD currentTick() { return state().tick.load(std::memory_order_relaxed); }

DWORD readTick() {
  HostState& s = state();
  const DWORD now = s.tick.load(std::memory_order_relaxed);
  countTickRead();
  record(Op::kGetTickCount, now);
#if defined(_WIN32)
  if (s.tickReadProbe != nullptr) s.tickReadProbe();
#endif
  return now;
}

unsigned long long tickReads() {
  const Locked all;
  unsigned long long total = all->ended;
  for (const auto* count : all->live) total += count->load(std::memory_order_relaxed);
  return total;
}

const std::vector<HostCall>& calls() { return state().calls; }
void clearCalls() { state().calls.clear(); }
void setRecording(bool on) { state().recording = on; }

void setSubject(SubjectHandle subject) { state().subject = subject; }

bool scriptRegistered() { return state().scriptRoutine != nullptr; }
HINSTANCE scriptModule() { return state().scriptModule; }
ScriptRoutine scriptRoutine() { return state().scriptRoutine; }
KeystrokeHandler keystrokeHandler() { return state().handler; }

#if defined(_WIN32)
void setNativeCallProbe(Probe probe) { state().nativeCallProbe = probe; }
void setTickReadProbe(Probe probe) { state().tickReadProbe = probe; }
#endif
bool scriptFaulted() { return context::faulted(); }

bool runPass() {
  if (!scriptRegistered()) return false;
  return context::resume();
}

Keystroke press(DWORD key) { return Keystroke{.key = key}; }
Keystroke release(DWORD key) {
  return Keystroke{.key = key, .previousState = 1, .transitionState = 1};
}

bool deliverKeystroke(const Keystroke& k) {
  const KeystrokeHandler handler = state().handler;
  if (handler == nullptr) return false;
  handler(k.key, k.repeatCount, k.scanCode, k.extended, k.contextCode, k.previousState,
          k.transitionState);
  return true;
}

}  // namespace standin
