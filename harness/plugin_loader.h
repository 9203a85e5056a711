// The plugin as a module of the process, loaded and unloaded by the driver: the
// loader seam. Natively the plugin is linked in and "loading" calls its entry
// point as the loader would; on Windows it is the module file, loaded by the
// system. Threads: the driving thread only.
#pragma once

#include "harness/plugin_file.h"

namespace harness {

// Loads the plugin from `file` (Windows; natively it is linked in), whose entry
// point gets the process-attach notification; nothing when it is loaded already.
// False when it cannot be loaded: loadError() says why (harness/load_error.h).
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

}  // namespace harness
