// Where the tests, the unwinding check and the benchmark start a loaded plugin:
// reloaded, the clock well past the first 5 s, so that nothing depends on the
// boot-time tick, a subject as the game hands one out, and an empty call log.
// Threads: the driving thread only.
#pragma once

#include "harness/plugin_loader.h"
#include "host/platform.h"
#include "script/native_call.h"
#include "standin/standin.h"

namespace keyrelay_test {

inline constexpr DWORD kStartTick = 1'000'000;  // ms
inline constexpr SubjectHandle kStartSubject = 7;

// The plugin as a new load leaves it (harness::reloadPlugin), the clock at `tick`
// (ms), the subject `subject`, and the call log empty. False when the plugin
// cannot be loaded.
inline bool startLoaded(const harness::PluginFile& plugin, DWORD tick = kStartTick,
                        SubjectHandle subject = kStartSubject) {
  if (!harness::reloadPlugin(plugin)) return false;
  standin::setTick(tick);
  standin::setSubject(subject);
  standin::clearCalls();
  return true;
}

}  // namespace keyrelay_test
