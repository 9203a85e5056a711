// The stand-in's state and its driver-facing controls.
#include "standin/host_state.h"

#include <atomic>

#include "standin/handler_call.h"
#include "standin/script_context.h"
#include "standin/standin.h"

namespace standin {
namespace {

// The clock, and its reads by every thread.
std::atomic<DWORD> tick{0};
std::atomic<unsigned long long> reads{0};

}  // namespace

HostState& state() {
  static HostState instance;
  return instance;
}

void appendCall(Op op, UINT64 value, UINT64 routine) {
  state().calls.push_back(HostCall{op, value, routine, context::inScript()});
}

void reset() {
  context::drop();
  tick.store(0, std::memory_order_relaxed);
  reads.store(0, std::memory_order_relaxed);
  state() = HostState{};
}

void setTick(DWORD ms) { tick.store(ms, std::memory_order_relaxed); }
void advanceTick(DWORD ms) { tick.fetch_add(ms, std::memory_order_relaxed); }
DWORD currentTick() { return tick.load(std::memory_order_relaxed); }

DWORD readTick() {
  const DWORD now = tick.load(std::memory_order_relaxed);
  reads.fetch_add(1, std::memory_order_relaxed);
  logCall(Op::kGetTickCount, now);
  return now;
}

unsigned long long tickReads() { return reads.load(std::memory_order_relaxed); }

const std::vector<HostCall>& calls() { return state().calls; }
void clearCalls() { state().calls.clear(); }
void setLogging(bool on) { state().logging = on; }

void setSubject(SubjectHandle subject) { state().subject = subject; }

bool scriptThrew() { return context::threw(); }

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
  callHandler(handler, k);
  return true;
}

}  // namespace standin
