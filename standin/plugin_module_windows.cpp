// The plugin as Windows loads it: the module file keyrelay.asi, loaded by the real
// PE loader, whose imports of ScriptHookRDR2.dll resolve to the stand-in host
// built as that library. Its GetTickCount import is rerouted to the stand-in's
// clock, so that timelines, the wrap of the tick included, replay exactly.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/platform.h"
#include "standin/plugin_module.h"
#include "standin/standin.h"

namespace standin {
namespace {

HMODULE loaded = nullptr;

// The file to load: $KEYRELAY_PLUGIN, else keyrelay.asi found the loader's way.
const char* pluginPath() {
  const char* path = std::getenv("KEYRELAY_PLUGIN");
  return path != nullptr && *path != '\0' ? path : "keyrelay.asi";
}

DWORD WINAPI tickFromStandIn() { return readTick(); }

template <typename T>
T* at(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

// The module's import address table slot for dll!function, or null.
ULONG_PTR* importSlot(HMODULE module, const char* dll, const char* function) {
  const auto* dos = at<IMAGE_DOS_HEADER>(module, 0);
  const auto* nt = at<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* d = at<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); d->Name != 0; ++d) {
    if (_stricmp(at<char>(module, d->Name), dll) != 0) continue;
    auto* names = at<IMAGE_THUNK_DATA>(
        module, d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk);
    auto* slots = at<IMAGE_THUNK_DATA>(module, d->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return &slots->u1.Function;
      }
    }
  }
  return nullptr;
}

// Must happen before the script first runs: the script keeps the address it reads
// from the slot for the rest of its life.
bool rerouteTick(HMODULE module) {
  ULONG_PTR* slot = importSlot(module, "KERNEL32.dll", "GetTickCount");
  if (slot == nullptr) return false;
  DWORD protection = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  *slot = reinterpret_cast<ULONG_PTR>(&tickFromStandIn);
  VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}

DWORD WINAPI idleThread(LPVOID) { return 0; }

}  // namespace

bool loadPlugin() {
  if (loaded != nullptr) return true;
  loaded = LoadLibraryA(pluginPath());
  if (loaded == nullptr) {
    std::fprintf(stderr, "cannot load %s: error %lu\n", pluginPath(), GetLastError());
    return false;
  }
  if (!rerouteTick(loaded)) {
    std::fprintf(stderr, "%s: no GetTickCount import from KERNEL32.dll to reroute\n", pluginPath());
    unloadPlugin();
    return false;
  }
  return true;
}

void unloadPlugin() {
  if (loaded == nullptr) return;
  FreeLibrary(loaded);
  loaded = nullptr;
}

// A real thread, so that the loader itself sends the thread notifications.
void runThreadInProcess() {
  if (loaded == nullptr) return;
  HANDLE thread = CreateThread(nullptr, 0, idleThread, nullptr, 0, nullptr);
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

HINSTANCE pluginModule() { return loaded; }

}  // namespace standin
