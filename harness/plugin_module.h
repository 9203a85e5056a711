// The plugin as a module of the process, loaded and unloaded by the driver: the
// loader seam. Natively the plugin is linked in and "loading" calls its entry
// point as the loader would; on Windows it is keyrelay.asi, loaded by the system.
// Threads: the driving thread only.
#pragma once

#include <string>

#include "host/platform.h"
#include "script/native_call.h"
#include "standin/standin.h"

namespace harness {

// Loads the plugin, whose entry point gets the process-attach notification.
// False when it cannot be loaded.
bool loadPlugin();
// Unloads it, whose entry point gets the process-detach notification.
void unloadPlugin();
// Loads the plugin, or gives the loaded one what a new load gives it: every key
// record empty. False when it cannot be loaded.
bool freshPlugin();
// Why the last load failed, as a line for a person ("cannot load PATH: error 126:
// The specified module could not be found."); empty after a load that succeeded.
const std::string& loadError();
// Whether a failed load also writes that line to standard error, as it does
// unless turned off by a caller that shows it itself.
void setLoadErrorsPrinted(bool on);
// For the seam's two builds (load_error.cpp): keeps `why` as the reason
// loadError() gives, and writes it to standard error unless turned off; an empty
// `why` clears it (a load that succeeded, or one about to be tried).
void setLoadError(std::string why);
// A thread starts and ends in the process while the plugin is loaded, so that its
// entry point gets the thread-attach and thread-detach notifications.
void runThreadInProcess();
// The plugin's module handle while it is loaded; null otherwise.
HINSTANCE pluginModule();
// Where the loaded plugin keeps its own copy of the NUL-terminated `text`: the one
// copy in its module. Null when it has none or more than one.
const char* pluginText(const char* text);

// Where a fresh set-up starts: the clock well past the first 5 s, so that nothing
// depends on the boot-time tick, and the subject the game hands out.
inline constexpr DWORD kFreshTick = 1'000'000;
inline constexpr SubjectHandle kFreshSubject = 7;

// The plugin as a fresh load leaves it (freshPlugin), the clock at `tick` (ms),
// the subject `subject`, and the record of host calls empty. False when the
// plugin cannot be loaded.
inline bool startFresh(DWORD tick = kFreshTick, SubjectHandle subject = kFreshSubject) {
  if (!freshPlugin()) return false;
  standin::setTick(tick);
  standin::setSubject(subject);
  standin::clearCalls();
  return true;
}

#if defined(_WIN32)
// Points the loaded plugin's import of dll!function at `replacement` and returns
// what it pointed at; null, changing nothing, when there is no such import. Only
// before the script's first pass: the script keeps what it read from the slot.
void* rerouteImport(const char* dll, const char* function, void* replacement);
#endif

}  // namespace harness
