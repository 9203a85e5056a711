// What the driver may learn of the loaded plugin: its module handle and where it
// keeps a text. Threads: the driving thread only.
#pragma once

#include "host/platform.h"

namespace harness {

// The plugin's module handle while it is loaded; null otherwise.
HINSTANCE pluginModule();
// Where the loaded plugin keeps its own copy of the NUL-terminated `text`: the one
// copy in its module. Null when it has none or more than one, or is not loaded.
const char* pluginText(const char* text);

}  // namespace harness
