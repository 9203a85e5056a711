// The stand-in's state and its driver-facing controls.
#include "standin/host_state.h"
#include "standin/script_context.h"
#include "standin/standin.h"

namespace standin {

HostState& state() {
  static HostState instance;
  return instance;
}

void appendCall(Op op, UINT64 value, UINT64 routine) {
  state().calls.push_back(HostCall{op, value, routine, context::inScript()});
}

void reset() {
  context::drop();
  HostState& s = state();
  s.tick.store(0, std::memory_order_relaxed);
  s.tickReads.store(0, std::memory_order_relaxed);
  s.calls.clear();
  s.recording = true;
  s.subject = 0;
  s.scriptModule = nullptr;
  s.scriptRoutine = nullptr;
  s.handler = nullptr;
  s.result = 0;
}

void setTick(DWORD ms) { state().tick.store(ms, std::memory_order_relaxed); }
void advanceTick(DWORD ms) { state().tick.fetch_add(ms, std::memory_order_relaxed); }
DWORD currentTick() { return state().tick.load(std::memory_order_relaxed); }

DWORD readTick() {
  HostState& s = state();
  const DWORD now = s.tick.load(std::memory_order_relaxed);
  s.tickReads.fetch_add(1, std::memory_order_relaxed);
  record(Op::kGetTickCount, now);
  return now;
}

unsigned long long tickReads() { return state().tickReads.load(std::memory_order_relaxed); }

const std::vector<HostCall>& calls() { return state().calls; }
void clearCalls() { state().calls.clear(); }
void setRecording(bool on) { state().recording = on; }

void setSubject(SubjectHandle subject) { state().subject = subject; }

bool scriptFaulted() { return context::faulted(); }

bool runPass() {
  if (state().scriptRoutine == nullptr) return false;
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
