// keyrelay-unwind-check: what a host does with the plugin's frames on its stack,
// through the shipped module under the Windows loader. From inside a native call
// and from inside a tick read (the module's imports pointed at probes here), it
// walks the stack with the system's unwinder, the way a host, a debugger or the
// exception dispatcher does: the walk must cross the plugin's frames, found in the
// module's own unwind data, and reach the stand-in's script entry. An exception
// thrown inside either must cross them too and be caught at that entry, ending
// the script and not the process.
#include <cstdio>
#include <string>

#include "harness/plugin_loader.h"
#include "host/host.h"
#include "host/platform.h"
#include "standin/script_context.h"
#include "standin/standin.h"
#include "tests/test_start.h"

namespace {

constexpr int kMaxFrames = 64;

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

// "module+0xOFFSET", and what the walk made of the frame.
void printFrame(DWORD64 pc, DWORD64 functionStart, DWORD64 entry) {
  const HMODULE module = moduleAt(pc);
  char path[MAX_PATH] = "?";
  if (module != nullptr) GetModuleFileNameA(module, path, MAX_PATH);
  const std::string name = path;
  std::printf("  %s+0x%llX%s%s\n", name.substr(name.find_last_of("\\/") + 1).c_str(),
              pc - reinterpret_cast<DWORD64>(module), functionStart == 0 ? " (no unwind data)" : "",
              functionStart == entry ? " (script entry)" : "");
}

// The walk from the probe outward, each frame's caller found from its module's
// unwind data; it ends at a frame with no return address, at a step that leaves
// the thread's stack, or after kMaxFrames. It succeeds when a plugin frame with
// unwind data comes before the script entry.
bool walkedThrough = false;
__attribute__((noinline)) void walkProbe() {
  const auto plugin = reinterpret_cast<HMODULE>(harness::pluginModule());
  const auto entry = reinterpret_cast<DWORD64>(standin::context::entryFunction());
  bool crossedPlugin = false;
  CONTEXT context{};
  RtlCaptureContext(&context);
  for (int frame = 0; context.Rip != 0 && frame < kMaxFrames && onStack(context.Rsp); ++frame) {
    DWORD64 imageBase = 0;
    RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    const DWORD64 start = function != nullptr ? imageBase + function->BeginAddress : 0;
    if (frame > 0) {  // the first is the probe's own
      printFrame(context.Rip, start, entry);
      crossedPlugin = crossedPlugin || (moduleAt(context.Rip) == plugin && start != 0);
      if (crossedPlugin && start == entry) {
        walkedThrough = true;
        return;
      }
    }
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
}

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

// Runs one pass with `with` at `place`, on `plugin` loaded anew.
bool passWithProbe(const harness::PluginFile& plugin, const Place& place, Probe with) {
  harness::unloadPlugin();
  standin::reset();
  if (!keyrelay_test::startLoaded(plugin)) return false;
  standin::setLogging(false);
  probe = with;
  walkedThrough = false;
  *place.original = harness::rerouteImport(place.dll, place.function, place.probed);
  return *place.original != nullptr && standin::runPass();
}

}  // namespace

int main() {
  harness::PluginFile plugin;
  if (const int status = harness::loadPluginNamedByEnvironment("keyrelay-unwind-check", plugin)) {
    return status;
  }
  std::printf(
      "keyrelay.asi at 0x%llX\n",
      static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(harness::pluginModule())));
  int failures = 0;
  const auto check = [&](bool passed, const std::string& what) {
    std::printf("%s: %s\n", passed ? "ok" : "FAILED", what.c_str());
    failures += passed ? 0 : 1;
  };
  for (const Place& place : kPlaces) {
    std::printf("walk from inside %s:\n", place.name);
    check(passWithProbe(plugin, place, walkProbe) && walkedThrough,
          std::string("the walk from inside ") + place.name +
              " crosses the plugin's frames and reaches the script entry");
    // Caught below the script routine: the script has ended, the process goes on.
    check(passWithProbe(plugin, place, throwProbe) && standin::scriptThrew() && !standin::runPass(),
          std::string("an exception from inside ") + place.name +
              " is caught at the script entry and the process goes on");
  }
  harness::unloadPlugin();
  return failures == 0 ? 0 : 1;
}
