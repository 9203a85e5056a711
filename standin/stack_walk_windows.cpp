#include "standin/stack_walk.h"

#include <cstddef>

namespace standin {
namespace {

constexpr std::size_t kMaxFrames = 64;

HMODULE moduleAt(DWORD64 pc) {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(pc), &module);
  return module;
}

// Whether `sp` lies on the current stack (a fiber's, when on a fiber).
bool onStack(DWORD64 sp) {
  const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
  return sp >= reinterpret_cast<DWORD64>(tib->StackLimit) &&
         sp < reinterpret_cast<DWORD64>(tib->StackBase);
}

}  // namespace

__attribute__((noinline)) std::vector<StackFrame> walkStack() {
  std::vector<StackFrame> frames;
  CONTEXT context{};
  RtlCaptureContext(&context);
  bool own = true;  // the first frame is walkStack's
  while (context.Rip != 0 && frames.size() < kMaxFrames && onStack(context.Rsp)) {
    DWORD64 imageBase = 0;
    RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    if (!own) {
      frames.push_back(StackFrame{context.Rip, moduleAt(context.Rip),
                                  function != nullptr ? imageBase + function->BeginAddress : 0});
    }
    own = false;
    if (function == nullptr) {
      // No unwind data means a leaf function: the return address is on top.
      context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
      context.Rsp += sizeof(DWORD64);
    } else {
      void* handlerData = nullptr;
      DWORD64 establisherFrame = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                       &establisherFrame, nullptr);
    }
  }
  return frames;
}

}  // namespace standin
