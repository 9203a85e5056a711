// Host calls read as the plugin makes them: a native call is its nativeInit, a
// nativePush64 for each argument and its nativeCall; every other host call stands
// alone. The one reading shared by the trace, the tests and the sandbox.
#pragma once

#include <span>
#include <variant>
#include <vector>

#include "host/host.h"
#include "standin/standin.h"

namespace harness {

struct NativeCall {
  NativeHash hash = 0;
  std::vector<UINT64> slots = {};  // in push order
  UINT64 result = 0;               // the result slot's value, once called
  // False when another host call came before its nativeCall.
  bool called = false;
  bool fromScript = false;  // begun on the script's own context

  friend bool operator==(const NativeCall&, const NativeCall&) = default;
};

// A native call, or any other host call; a push or a call with no native begun
// stands alone too.
using CallGroup = std::variant<NativeCall, standin::HostCall>;

std::vector<CallGroup> groupNativeCalls(std::span<const standin::HostCall> calls);

}  // namespace harness
