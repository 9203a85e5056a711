// The eight operations the plugin imports from the script host, ScriptHookRDR2.dll,
// and the two routine types it hands to the host. None reports an error.
//
// Threads: the native operations and scriptWait are called only from the script
// routine; the registration operations only from the module entry. The host may
// call the keystroke handler on a thread other than the script's.
#pragma once

#include "host/host_exports.h"
#include "host/platform.h"

// The script routine: started once by the host, never returns.
using ScriptRoutine = void (*)();

// Called by the host with each keyboard event, with the fields of the keystroke
// message: virtual-key code, repeat count, scan code, then the extended-key,
// context-code (Alt held), previous-key-state and transition-state flags.
// transitionState is non-zero for a release and 0 for a press.
using KeystrokeHandler = void (*)(DWORD key, WORD repeatCount, BYTE scanCode, BOOL extended,
                                  BOOL contextCode, BOOL previousState, BOOL transitionState);

// Names a native, a game function that the host runs on the plugin's behalf.
using NativeHash = UINT64;

// On Windows the operations are the host's exports under their decorated names:
// imported by the plugin, exported by a stand-in host built as that library.
#if defined(_WIN32)
#if defined(KEYRELAY_BUILDING_HOST)
#define KEYRELAY_HOST_API __declspec(dllexport)
#else
#define KEYRELAY_HOST_API __declspec(dllimport)
#endif
#else
#define KEYRELAY_HOST_API
#endif
// Bound to the listed names under MinGW, whose mangling is not MSVC's. Under the
// MSVC ABI the compiler's own mangling gives these very names, as the check of
// the list shows by compiling this header for an MSVC target.
#if defined(__MINGW32__)
#define KEYRELAY_HOST_NAME(operation) __asm__(KEYRELAY_EXPORT_##operation)
#else
#define KEYRELAY_HOST_NAME(operation)
#endif

// Starts `routine` once as `module`'s script.
KEYRELAY_HOST_API void scriptRegister(HINSTANCE module, ScriptRoutine routine)
    KEYRELAY_HOST_NAME(scriptRegister);
// After this the host does not run `module`'s script again.
KEYRELAY_HOST_API void scriptUnregister(HINSTANCE module) KEYRELAY_HOST_NAME(scriptUnregister);
// Hands control back to the host; returns when the host resumes the script.
// The plugin passes only 0 (milliseconds).
KEYRELAY_HOST_API void scriptWait(DWORD milliseconds) KEYRELAY_HOST_NAME(scriptWait);
// The host calls `handler` with each keyboard event it reports.
KEYRELAY_HOST_API void keyboardHandlerRegister(KeystrokeHandler handler)
    KEYRELAY_HOST_NAME(keyboardHandlerRegister);
// The host calls `handler` no more. The handler is known by its address.
KEYRELAY_HOST_API void keyboardHandlerUnregister(KeystrokeHandler handler)
    KEYRELAY_HOST_NAME(keyboardHandlerUnregister);
// Begins a call of the native `hash`, with no arguments yet.
KEYRELAY_HOST_API void nativeInit(NativeHash hash) KEYRELAY_HOST_NAME(nativeInit);
// Appends `slot` as the next argument of the call begun last.
KEYRELAY_HOST_API void nativePush64(UINT64 slot) KEYRELAY_HOST_NAME(nativePush64);
// Runs the call. Returns the result slot: never null, owned by the host, readable at
// once and valid until the next host operation.
KEYRELAY_HOST_API UINT64* nativeCall() KEYRELAY_HOST_NAME(nativeCall);
