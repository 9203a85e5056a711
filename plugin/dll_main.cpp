#include "plugin/dll_main.h"

#include "host/host.h"
#include "input/key_state.h"
#include "script/script_loop.h"

// Nothing else to set up: the key-state table is static and zero at load. The
// module handle comes with each notification and is not kept.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      scriptRegister(module, runScript);
      keyboardHandlerRegister(onKeystroke);
      break;
    case DLL_PROCESS_DETACH:
      // Same order as attach, not the reverse.
      scriptUnregister(module);
      keyboardHandlerUnregister(onKeystroke);
      break;
    default:
      break;
  }
  return TRUE;
}
