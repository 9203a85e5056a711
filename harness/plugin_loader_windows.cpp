// The plugin as Windows loads it: the module file keyrelay.asi, loaded by the real
// PE loader, whose imports of ScriptHookRDR2.dll resolve to the stand-in host
// built as that library. Its GetTickCount import is rerouted to the stand-in's
// clock, so that timelines, the wrap of the tick included, replay exactly.
//
// A moved PluginFile has the module's preferred address range reserved before
// each load, so that the loader must place it elsewhere, as Windows' ASLR does; the
// first such load reports on standard error where the module went.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "harness/format.h"
#include "harness/plugin_loader.h"
#include "host/platform.h"
#include "standin/standin.h"

namespace harness {
namespace {

HMODULE loaded = nullptr;
void* reservedRange = nullptr;  // the preferred range, while the module is loaded

DWORD WINAPI tickFromStandIn() { return standin::readTick(); }

// The system's text for `error`, without its line break, with the file for its
// "%1"; "error N" alone when the system has none.
std::string systemText(DWORD error, const char* file) {
  char text[512];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
  std::string out = "error " + std::to_string(error);
  if (length == 0) return out;
  std::string message(text, length);
  message.erase(message.find_last_not_of("\r\n ") + 1);
  for (std::size_t at = message.find("%1"); at != std::string::npos;
       at = message.find("%1", at + std::strlen(file))) {
    message.replace(at, 2, file);
  }
  return out + ": " + message;
}

template <typename T>
T* at(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

const IMAGE_NT_HEADERS* ntHeaders(HMODULE module) {
  return at<IMAGE_NT_HEADERS>(module,
                              static_cast<DWORD>(at<IMAGE_DOS_HEADER>(module, 0)->e_lfanew));
}

// Where the module keeps the pointer to its import dll!function (in its import
// address table), or null.
ULONG_PTR* importPointer(HMODULE module, const char* dll, const char* function) {
  const IMAGE_DATA_DIRECTORY& imports =
      ntHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* d = at<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); d->Name != 0; ++d) {
    if (_stricmp(at<char>(module, d->Name), dll) != 0) continue;
    auto* names = at<IMAGE_THUNK_DATA>(
        module, d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk);
    auto* pointers = at<IMAGE_THUNK_DATA>(module, d->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++pointers) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return &pointers->u1.Function;
      }
    }
  }
  return nullptr;
}

DWORD WINAPI idleThread(LPVOID) { return 0; }

// Keeps why the load failed and undoes what it had done; false, for the caller to return.
bool failLoad(const std::string& why) {
  setLoadError(why);
  unloadPlugin();
  return false;
}

// The preferred base and size of the module file at `path`, from its headers.
bool preferredRange(const char* path, ULONGLONG& base, DWORD& bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS64 nt{};
  const bool read =
      std::fread(&dos, sizeof dos, 1, file) == 1 && dos.e_magic == IMAGE_DOS_SIGNATURE &&
      std::fseek(file, dos.e_lfanew, SEEK_SET) == 0 && std::fread(&nt, sizeof nt, 1, file) == 1 &&
      nt.Signature == IMAGE_NT_SIGNATURE &&
      nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  std::fclose(file);
  base = nt.OptionalHeader.ImageBase;
  bytes = nt.OptionalHeader.SizeOfImage;
  return read;
}

// Reserves the preferred range of the module at `path`, so that the next load
// cannot use it.
bool reservePreferredRange(const char* path) {
  ULONGLONG base = 0;
  DWORD bytes = 0;
  if (!preferredRange(path, base, bytes)) {
    return failLoad(format("%s: cannot read its headers", path));
  }
  void* wanted = reinterpret_cast<void*>(static_cast<ULONG_PTR>(base));
  reservedRange = VirtualAlloc(wanted, bytes, MEM_RESERVE, PAGE_NOACCESS);
  if (reservedRange != wanted) {
    return failLoad(format("cannot reserve the range at 0x%llX: %s", base,
                           systemText(GetLastError(), "").c_str()));
  }
  return true;
}

}  // namespace

bool loadPlugin(const PluginFile& file) {
  if (loaded != nullptr) return true;
  setLoadError("");
  const char* path = file.path.c_str();
  if (file.moved && !reservePreferredRange(path)) return false;
  loaded = LoadLibraryA(path);
  if (loaded == nullptr) {
    const DWORD error = GetLastError();
    return failLoad(format("cannot load %s: %s", path, systemText(error, path).c_str()));
  }
  if (reservedRange != nullptr) {
    if (loaded == reservedRange) {
      return failLoad(format("%s: loaded at its preferred base, which was reserved", path));
    }
    static bool reported = false;  // once a process: timelines load it thousands of times
    if (!std::exchange(reported, true)) {
      std::fprintf(stderr, "moved: loaded at 0x%llX, not at its preferred base 0x%llX\n",
                   static_cast<ULONGLONG>(reinterpret_cast<ULONG_PTR>(loaded)),
                   static_cast<ULONGLONG>(reinterpret_cast<ULONG_PTR>(reservedRange)));
    }
  }
  if (rerouteImport("KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&tickFromStandIn)) ==
      nullptr) {
    return failLoad(format("%s: no GetTickCount import from KERNEL32.dll to reroute", path));
  }
  return true;
}

// The range is reserved only while the module is loaded: it is released too.
void unloadPlugin() {
  if (loaded != nullptr) FreeLibrary(loaded);
  if (reservedRange != nullptr) VirtualFree(reservedRange, 0, MEM_RELEASE);
  loaded = nullptr;
  reservedRange = nullptr;
}

// The module's state is out of reach: it is mapped afresh.
bool reloadPlugin(const PluginFile& file) {
  unloadPlugin();
  return loadPlugin(file);
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

const char* pluginText(const char* text) {
  if (loaded == nullptr) return nullptr;
  const std::size_t bytes = std::strlen(text) + 1;
  const IMAGE_NT_HEADERS* nt = ntHeaders(loaded);
  const char* found = nullptr;
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const char* begin = at<char>(loaded, section->VirtualAddress);
    const char* end = begin + section->Misc.VirtualSize;
    for (const char* p = begin; end - p >= static_cast<std::ptrdiff_t>(bytes); ++p) {
      if (std::memcmp(p, text, bytes) != 0) continue;
      if (found != nullptr) return nullptr;
      found = p;
    }
  }
  return found;
}

void* rerouteImport(const char* dll, const char* function, void* replacement) {
  ULONG_PTR* pointer = loaded != nullptr ? importPointer(loaded, dll, function) : nullptr;
  DWORD protection = 0;
  if (pointer == nullptr ||
      !VirtualProtect(pointer, sizeof *pointer, PAGE_READWRITE, &protection)) {
    return nullptr;
  }
  void* previous = reinterpret_cast<void*>(*pointer);
  *pointer = reinterpret_cast<ULONG_PTR>(replacement);
  VirtualProtect(pointer, sizeof *pointer, protection, &protection);
  return previous;
}

}  // namespace harness
