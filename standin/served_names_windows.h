// The names that the stand-in's own definitions of the host's operations
// (host_operations.cpp) take in the Windows build of ScriptHookRDR2.dll. There the
// decorated names belong to the exports in calling_convention_windows.cpp, which
// call these. A plain macro, for assembly text.
#pragma once

#define KEYRELAY_SERVED_NAME(operation) "standin.served." #operation
