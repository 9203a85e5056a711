// The plugin as a module of the process, loaded and unloaded by the driver.
#pragma once

#include <string>

#include "host/platform.h"

namespace standin {

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
// A thread starts and ends in the process while the plugin is loaded, so that its
// entry point gets the thread-attach and thread-detach notifications.
void runThreadInProcess();
// The plugin's module handle while it is loaded; null otherwise.
HINSTANCE pluginModule();
// Where the loaded plugin keeps its own copy of the NUL-terminated `text`: the one
// copy in its module. Null when it has none or more than one.
const char* pluginText(const char* text);

#if defined(_WIN32)
// Points the loaded plugin's import of dll!function at `replacement` and returns
// what it pointed at; null, changing nothing, when there is no such import. Only
// before the script's first pass: the script keeps what it read from the slot.
void* rerouteImport(const char* dll, const char* function, void* replacement);
#endif

}  // namespace standin
