// Read ahead of host_operations.cpp in the Windows build of ScriptHookRDR2.dll
// (cmake/KeyrelayWindows.cmake): binds its definitions to the implementations'
// names, and leaves the decorated names to the exports that call them.
// host/host.h names every declaration through these macros when it uses them,
// and reads host_exports.h only once, so the names set here are the ones it gives.
#pragma once

#include "host/host_exports.h"
#include "standin/implementation_names_windows.h"

#undef KEYRELAY_EXPORT_scriptRegister
#undef KEYRELAY_EXPORT_scriptUnregister
#undef KEYRELAY_EXPORT_scriptWait
#undef KEYRELAY_EXPORT_keyboardHandlerRegister
#undef KEYRELAY_EXPORT_keyboardHandlerUnregister
#undef KEYRELAY_EXPORT_nativeInit
#undef KEYRELAY_EXPORT_nativePush64
#undef KEYRELAY_EXPORT_nativeCall
#define KEYRELAY_EXPORT_scriptRegister KEYRELAY_IMPLEMENTATION_NAME(scriptRegister)
#define KEYRELAY_EXPORT_scriptUnregister KEYRELAY_IMPLEMENTATION_NAME(scriptUnregister)
#define KEYRELAY_EXPORT_scriptWait KEYRELAY_IMPLEMENTATION_NAME(scriptWait)
#define KEYRELAY_EXPORT_keyboardHandlerRegister \
  KEYRELAY_IMPLEMENTATION_NAME(keyboardHandlerRegister)
#define KEYRELAY_EXPORT_keyboardHandlerUnregister \
  KEYRELAY_IMPLEMENTATION_NAME(keyboardHandlerUnregister)
#define KEYRELAY_EXPORT_nativeInit KEYRELAY_IMPLEMENTATION_NAME(nativeInit)
#define KEYRELAY_EXPORT_nativePush64 KEYRELAY_IMPLEMENTATION_NAME(nativePush64)
#define KEYRELAY_EXPORT_nativeCall KEYRELAY_IMPLEMENTATION_NAME(nativeCall)
