// The module's entry point, called by the operating system's loader.
#pragma once

#include "host/platform.h"

// On process attach registers the script routine, then the keystroke handler,
// with the host; on process detach unregisters them in the same order. Does
// nothing on any other notification. Always returns TRUE: the host reports
// nothing that could fail a load. `reserved` is never read.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
