// The plugin as a module of the process, loaded and unloaded by the driver: the
// loader seam. Natively the plugin is linked in and "loading" calls its entry
// point as the loader would (plugin_loader_linked.cpp); on Windows it is the
// module file, loaded by the system (plugin_loader_windows.cpp). What both builds
// share is in plugin_loader.cpp. Threads: the driving thread only.
#pragma once

#include <string>

#include "host/platform.h"

namespace harness {

// Which module file the Windows build loads, and how: read once by a program's
// main and handed to every load. The linked-in build has no file to load and
// ignores it.
struct PluginFile {
  // A path, or a bare name that the loader searches its folders for.
  std::string path = "keyrelay.asi";
  // Its preferred address range reserved before each load, so that the loader
  // must place it elsewhere, as Windows' ASLR does.
  bool moved = false;
};

// The file the environment names: $KEYRELAY_PLUGIN (else `fallback`), moved when
// $KEYRELAY_MOVE_BASE is 1 (0, empty or unset: not moved); or an error that names
// the variable and quotes its value. Reads the environment once, here.
struct PluginFileResult {
  PluginFile file;
  std::string error;
};
PluginFileResult pluginFileFromEnvironment(std::string fallback = PluginFile{}.path);

// Loads the plugin from `file` (Windows; natively it is linked in), whose entry
// point gets the process-attach notification; nothing when it is loaded already.
// False when it cannot be loaded: loadError() says why.
bool loadPlugin(const PluginFile& file);
// Unloads it, whose entry point gets the process-detach notification.
void unloadPlugin();
// Gives the plugin what a new load gives it, whether it was loaded or not. On
// Windows the module is unloaded and loaded anew, its entry point told of both.
// Natively a loaded plugin stays loaded and its one static, the key table, is
// emptied: that is all a new mapping would give it, as the shipped module's
// writable data is checked to be that table alone. False when it cannot be loaded.
bool reloadPlugin(const PluginFile& file);
// For a tool's main: loads the file the environment names
// (pluginFileFromEnvironment) into `file`. 0 when it loaded; else the tool's exit
// status: 2 for a bad variable, named on standard error after `tool`, 1 when the
// plugin did not load (loadError() says why).
int loadPluginNamedByEnvironment(const char* tool, PluginFile& file);
// A thread starts and ends in the process while the plugin is loaded, so that its
// entry point gets the thread-attach and thread-detach notifications.
void runThreadInProcess();

// Why the last load failed, as a line for a person ("cannot load PATH: error 126:
// The specified module could not be found."); empty after a load that succeeded.
const std::string& loadError();
// Whether a failed load also writes that line to standard error, as it does
// unless turned off by a caller that shows it itself.
void setLoadErrorsPrinted(bool on);
// For the seam's two builds: keeps `why` as the reason loadError() gives, and
// writes it to standard error unless turned off; an empty `why` clears it (a load
// that succeeded, or one about to be tried).
void setLoadError(std::string why);

// The plugin's module handle while it is loaded; null otherwise.
HINSTANCE pluginModule();
// Where the loaded plugin keeps its own copy of the NUL-terminated `text`: the one
// copy in its module. Null when it has none or more than one, or is not loaded.
const char* pluginText(const char* text);

#if defined(_WIN32)
// Points the loaded module's import of dll!function at `replacement` and returns
// what it pointed at; null, changing nothing, when there is no such import or no
// plugin is loaded. Only before the script's first pass: the script keeps the
// pointer it read. Windows only: linked in, the plugin has no imports.
void* rerouteImport(const char* dll, const char* function, void* replacement);
#endif

}  // namespace harness
