// keyrelay-unwind-check: what a host does with the plugin's frames on its stack,
// through the shipped module under the Windows loader. From inside a native call
// and from inside a tick read (the module's imports pointed at probes here), it
// walks the stack with the system's unwinder, the way a host, a debugger or the
// exception dispatcher does: the walk must cross the plugin's frames, found in the
// module's own unwind data, and reach the stand-in's script entry. An exception
// thrown inside either must cross them too and be caught at that entry, ending
// the script and not the process.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/platform.h"
#include "standin/plugin_module.h"
#include "standin/script_context.h"
#include "standin/standin.h"

namespace {

constexpr std::size_t kMaxFrames = 64;

struct StackFrame {
  DWORD64 pc = 0;             // where the frame's code was running
  HMODULE module = nullptr;   // the module holding that code; null outside any
  DWORD64 functionStart = 0;  // its function's start, by the unwind data; 0 if none
};

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

// The frames from walkStack's caller outward, ending at the first frame with no
// return address, at a step that leaves the thread's stack, or after kMaxFrames.
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

std::vector<StackFrame> walked;
void walkProbe() { walked = walkStack(); }

struct NativeFailed {};
void throwProbe() { throw NativeFailed{}; }

// The probe runs inside the plugin's calls of the two imports, on its stack,
// before what the import pointed at.
using Probe = void (*)();
Probe probe = nullptr;
void* standInNativeCall = nullptr;
void* standInTick = nullptr;
UINT64* probedNativeCall() {
  probe();
  return reinterpret_cast<UINT64* (*)()>(standInNativeCall)();
}
DWORD WINAPI probedTick() {
  probe();
  return reinterpret_cast<DWORD(WINAPI*)()>(standInTick)();
}

struct Place {
  const char* name;
  const char* dll;
  const char* function;
  void* probed;
  void** original;
};
const Place kPlaces[] = {
    {"a native call", "ScriptHookRDR2.dll", KEYRELAY_EXPORT_nativeCall,
     reinterpret_cast<void*>(&probedNativeCall), &standInNativeCall},
    {"the tick read", "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&probedTick),
     &standInTick},
};

std::string describe(const StackFrame& frame) {
  char path[MAX_PATH] = "?";
  if (frame.module != nullptr) GetModuleFileNameA(frame.module, path, MAX_PATH);
  std::string name = path;
  name = name.substr(name.find_last_of("\\/") + 1);
  char offset[32];
  std::snprintf(offset, sizeof offset, "+0x%llX",
                frame.pc - reinterpret_cast<DWORD64>(frame.module));
  std::string text = name + offset;
  if (frame.functionStart == 0) text += " (no unwind data)";
  if (frame.functionStart == reinterpret_cast<DWORD64>(standin::context::entryFunction())) {
    text += " (script entry)";
  }
  return text;
}

// Runs one pass with `with` at `place`, on a freshly loaded plugin.
bool passWithProbe(const Place& place, Probe with) {
  standin::unloadPlugin();
  standin::reset();
  if (!standin::loadPlugin()) return false;
  standin::setRecording(false);
  standin::setTick(1'000'000);
  probe = with;
  *place.original = standin::rerouteImport(place.dll, place.function, place.probed);
  return *place.original != nullptr && standin::runPass();
}

bool walkCrossesThePlugin(const Place& place) {
  walked.clear();
  if (!passWithProbe(place, walkProbe)) return false;
  const auto plugin = reinterpret_cast<HMODULE>(standin::pluginModule());
  const auto entry = reinterpret_cast<DWORD64>(standin::context::entryFunction());
  bool crossedPlugin = false;
  bool reachedEntry = false;
  std::printf("walk from inside %s:\n", place.name);
  for (const StackFrame& frame : walked) {
    std::printf("  %s\n", describe(frame).c_str());
    if (frame.module == plugin && frame.functionStart != 0) crossedPlugin = true;
    if (crossedPlugin && frame.functionStart == entry) {
      reachedEntry = true;
      break;
    }
  }
  return crossedPlugin && reachedEntry;
}

bool exceptionStopsAtTheEntry(const Place& place) {
  if (!passWithProbe(place, throwProbe)) return false;
  // Caught below the script routine: the script has ended, the process goes on.
  return standin::scriptFaulted() && !standin::runPass();
}

}  // namespace

int main() {
  if (!standin::loadPlugin()) return 1;
  std::printf(
      "keyrelay.asi at 0x%llX\n",
      static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(standin::pluginModule())));
  int failures = 0;
  const auto check = [&](bool passed, const std::string& what) {
    std::printf("%s: %s\n", passed ? "ok" : "FAILED", what.c_str());
    failures += passed ? 0 : 1;
  };
  for (const Place& place : kPlaces) {
    check(walkCrossesThePlugin(place),
          std::string("the walk from inside ") + place.name +
              " crosses the plugin's frames and reaches the script entry");
    check(exceptionStopsAtTheEntry(place),
          std::string("an exception from inside ") + place.name +
              " is caught at the script entry and the process goes on");
  }
  standin::unloadPlugin();
  return failures == 0 ? 0 : 1;
}
