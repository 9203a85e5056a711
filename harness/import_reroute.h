// The loaded module's imports pointed elsewhere: on Windows only, where the plugin
// is a module with an import table. Threads: the driving thread only.
#pragma once

#if !defined(_WIN32)
#error "import rerouting needs the Windows build of the loader seam"
#endif

namespace harness {

// Points the loaded plugin's import of dll!function at `replacement` and returns
// what it pointed at; null, changing nothing, when there is no such import or no
// plugin is loaded. Only before the script's first pass: the script keeps what it
// read from the slot.
void* rerouteImport(const char* dll, const char* function, void* replacement);

}  // namespace harness
