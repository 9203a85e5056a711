// Walks the calling thread's stack with the system's own unwinder, the way a
// host, a debugger or the exception dispatcher does: each frame's caller is found
// from its module's unwind data. Windows only.
#pragma once

#include <vector>

#include "host/platform.h"

namespace standin {

struct StackFrame {
  DWORD64 pc = 0;             // where the frame's code was running
  HMODULE module = nullptr;   // the module holding that code; null outside any
  DWORD64 functionStart = 0;  // its function's start, by the unwind data; 0 if none
};

// The frames from walkStack's caller outward, ending at the first frame with no
// return address, at a step that leaves the thread's stack, or after 64 frames.
std::vector<StackFrame> walkStack();

}  // namespace standin
