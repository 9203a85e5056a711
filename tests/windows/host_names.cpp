// The host's operations as host/host.h declares them, compiled for an MSVC x64
// target, as the MSVC-ABI module compiles them: the names MSVC's mangling gives these
// declarations must be the ones host/host_exports.h lists, which the plugin
// imports. Compiled only, never linked.
#include "host/host.h"

// Every operation referenced, so that each name is in the object's symbol table.
extern void* const kOperations[];
void* const kOperations[] = {
    reinterpret_cast<void*>(&scriptRegister),
    reinterpret_cast<void*>(&scriptUnregister),
    reinterpret_cast<void*>(&scriptWait),
    reinterpret_cast<void*>(&keyboardHandlerRegister),
    reinterpret_cast<void*>(&keyboardHandlerUnregister),
    reinterpret_cast<void*>(&nativeInit),
    reinterpret_cast<void*>(&nativePush64),
    reinterpret_cast<void*>(&nativeCall),
};
