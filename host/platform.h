// The Windows types, constants and calls the plugin uses, from the one place that
// chooses how to get them: <windows.h> when building for Windows, our own small
// header everywhere else (the native build, whose tick and host come from the
// stand-in host).
#pragma once

#if defined(_WIN32)
#include "host/platform_windows.h"
#else
#include "host/platform_posix.h"
#endif
