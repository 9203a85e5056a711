// What the stand-in host keeps between calls. Internal to the stand-in.
#pragma once

#include <vector>

#include "standin/standin.h"

namespace standin {

// All but the clock, which other threads read too (host_state.cpp); as a fresh
// process has it.
struct HostState {
  std::vector<HostCall> calls;
  bool logging = true;
  SubjectHandle subject = 0;
  HINSTANCE scriptModule = nullptr;
  ScriptRoutine scriptRoutine = nullptr;
  KeystrokeHandler handler = nullptr;
  NativeHash pendingHash = 0;  // the call begun last
  UINT64 result = 0;           // the slot nativeCall points to
};

HostState& state();

// Adds the call to the call log.
void appendCall(Op op, UINT64 value, UINT64 routine);
// Logs the call while logging is on; costs one test while it is off.
inline void logCall(Op op, UINT64 value, UINT64 routine = 0) {
  if (state().logging) appendCall(op, value, routine);
}

}  // namespace standin
