// The host's eight operations, as the stand-in plays them.
#include "host/host.h"
#include "script/natives.h"
#include "standin/host_state.h"
#include "standin/script_context.h"

using standin::logCall;
using standin::Op;
using standin::state;

namespace {

template <typename Pointer>
UINT64 address(Pointer p) {
  return reinterpret_cast<UINT64>(p);
}

}  // namespace

// The routine starts with the driver's first runPass, not here: a real host starts
// scripts later, on its own thread, never inside the loader's call.
void scriptRegister(HINSTANCE module, ScriptRoutine routine) {
  logCall(Op::kScriptRegister, address(module), address(routine));
  state().scriptModule = module;
  state().scriptRoutine = routine;
  standin::context::create(routine);
}

void scriptUnregister(HINSTANCE module) {
  logCall(Op::kScriptUnregister, address(module));
  if (module != state().scriptModule) return;
  state().scriptModule = nullptr;
  state().scriptRoutine = nullptr;
  standin::context::drop();
}

void scriptWait(DWORD milliseconds) {
  logCall(Op::kScriptWait, milliseconds);
  standin::context::yieldToDriver();
}

void keyboardHandlerRegister(KeystrokeHandler handler) {
  logCall(Op::kKeyboardHandlerRegister, address(handler));
  state().handler = handler;
}

void keyboardHandlerUnregister(KeystrokeHandler handler) {
  logCall(Op::kKeyboardHandlerUnregister, address(handler));
  if (handler == state().handler) state().handler = nullptr;
}

void nativeInit(NativeHash hash) {
  logCall(Op::kNativeInit, hash);
  state().pendingHash = hash;
}

void nativePush64(UINT64 slot) { logCall(Op::kNativePush64, slot); }

// The game's side: the subject native answers the current subject in the low half
// of the slot, with noise above it; the others answer noise alone.
UINT64* nativeCall() {
  standin::HostState& s = state();
  s.result = standin::kResultNoise;
  if (s.pendingHash == kSubjectNative) s.result |= static_cast<DWORD>(s.subject);
  logCall(Op::kNativeCall, s.result);
  return &s.result;
}
