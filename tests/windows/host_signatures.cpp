// The host's operations declared the way the host declares them, with the
// Windows types as 64-bit Windows defines them, for the MSVC mangler to name:
// the names it gives must be the ones the plugin imports. Compiled for an MSVC
// target only, never linked.
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef int BOOL;
typedef unsigned long long UINT64;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

typedef void (*ScriptRoutine)();
typedef void (*KeystrokeHandler)(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL);

void scriptRegister(HINSTANCE, ScriptRoutine);
void scriptUnregister(HINSTANCE);
void scriptWait(DWORD);
void keyboardHandlerRegister(KeystrokeHandler);
void keyboardHandlerUnregister(KeystrokeHandler);
void nativeInit(UINT64);
void nativePush64(UINT64);
UINT64* nativeCall();

// Every operation referenced from a global, so that each name is in the object's
// symbol table.
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
