// keyrelay-unwind-check: what a host does with the plugin's frames on its stack,
// through the shipped module under the Windows loader. From inside a native call
// and from inside a tick read, the stand-in walks the stack with the system's
// unwinder: the walk must cross the plugin's frames, found in the module's own
// unwind data, and reach the stand-in's script entry. An exception thrown inside
// either must cross them too and be caught at that entry, ending the script and
// not the process.
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform.h"
#include "standin/plugin_module.h"
#include "standin/script_context.h"
#include "standin/stack_walk.h"
#include "standin/standin.h"

namespace {

using standin::StackFrame;

std::vector<StackFrame> walked;
void walkProbe() { walked = standin::walkStack(); }

struct NativeFailed {};
void throwProbe() { throw NativeFailed{}; }

struct Place {
  const char* name;
  void (*setProbe)(standin::Probe);
};
constexpr Place kPlaces[] = {
    {"a native call", standin::setNativeCallProbe},
    {"the tick read", standin::setTickReadProbe},
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

// Runs one pass with `probe` at `place`, on a freshly loaded plugin.
bool passWithProbe(const Place& place, standin::Probe probe) {
  standin::unloadPlugin();
  standin::reset();
  if (!standin::loadPlugin()) return false;
  standin::setRecording(false);
  standin::setTick(1'000'000);
  place.setProbe(probe);
  const bool ran = standin::runPass();
  place.setProbe(nullptr);
  return ran;
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
