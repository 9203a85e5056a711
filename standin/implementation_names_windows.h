// The names that the stand-in's own definitions of the host's operations
// (host_operations.cpp) take in the Windows build of ScriptHookRDR2.dll: the
// implementations' names. There the decorated names belong to the exports in
// calling_convention_windows.cpp, which call the implementations. A plain macro,
// for assembly text.
#pragma once

#define KEYRELAY_IMPLEMENTATION_NAME(operation) "standin.implementation." #operation
