// What the stand-in host keeps between calls. Internal to the stand-in.
#pragma once

#include <vector>

#include "standin/standin.h"

namespace standin {

// All but the clock, which other threads read too (host_state.cpp); as a fresh
// process has it.
struct HostState {
  std::vector<HostCall> calls;
  bool recording = true;
  SubjectHandle subject = 0;
  HINSTANCE scriptModule = nullptr;
  ScriptRoutine scriptRoutine = nullptr;
  KeystrokeHandler handler = nullptr;
  NativeHash pendingHash = 0;  // the call begun last
  UINT64 result = 0;           // the slot nativeCall points to
};

HostState& state();

// Adds the call to the record.
void appendCall(Op op, UINT64 value, UINT64 routine);
// Records the call while recording is on; costs one test while it is off.
inline void record(Op op, UINT64 value, UINT64 routine = 0) {
  if (state().recording) appendCall(op, value, routine);
}

}  // namespace standin
