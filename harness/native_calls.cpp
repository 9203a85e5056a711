#include "harness/native_calls.h"

namespace harness {

std::vector<CallGroup> groupNativeCalls(std::span<const standin::HostCall> calls) {
  std::vector<CallGroup> groups;
  NativeCall* open = nullptr;  // the native begun last, until it is called
  for (const standin::HostCall& call : calls) {
    if (call.op == standin::Op::kNativeInit) {
      groups.emplace_back(NativeCall{.hash = call.value, .fromScript = call.fromScript});
      open = &std::get<NativeCall>(groups.back());
    } else if (open != nullptr && call.op == standin::Op::kNativePush64) {
      open->slots.push_back(call.value);
    } else if (open != nullptr && call.op == standin::Op::kNativeCall) {
      open->result = call.value;
      open->called = true;
      open = nullptr;
    } else {
      groups.emplace_back(call);
      open = nullptr;
    }
  }
  return groups;
}

}  // namespace harness
