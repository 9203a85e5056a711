// The names under which ScriptHookRDR2.dll exports its operations: MSVC x64
// decorated names, which follow from the signatures in host/host.h
// (void result "YAX", DWORD "K", unsigned 64-bit "_K", HINSTANCE
// "PEAUHINSTANCE__@@", the routine types "P6AXXZ" and "P6AXKGEHHHH@Z").
//
// This is the one written list of them: host/host.h binds the declarations to
// these names, and the host's module-definition file is made from this header by
// the preprocessor. Plain macros, so that both C++ and that file can use them.
#pragma once

#define KEYRELAY_EXPORT_scriptRegister "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z"
#define KEYRELAY_EXPORT_scriptUnregister "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z"
#define KEYRELAY_EXPORT_scriptWait "?scriptWait@@YAXK@Z"
#define KEYRELAY_EXPORT_keyboardHandlerRegister "?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z"
#define KEYRELAY_EXPORT_keyboardHandlerUnregister "?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z"
#define KEYRELAY_EXPORT_nativeInit "?nativeInit@@YAX_K@Z"
#define KEYRELAY_EXPORT_nativePush64 "?nativePush64@@YAX_K@Z"
#define KEYRELAY_EXPORT_nativeCall "?nativeCall@@YAPEA_KXZ"
