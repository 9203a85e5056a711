// The plugin linked into this program: loading is calling its entry point, as the
// loader would, with a handle of our own for the module. There is no file: the
// PluginFile a program passes is not read.
#include <cstring>

#include "harness/plugin_loader.h"
#include "input/key_state.h"
#include "plugin/dll_main.h"
#include "script/natives.h"

namespace harness {
namespace {

char moduleImage;  // stands for the module; only its address is used
HINSTANCE loaded = nullptr;

HINSTANCE ownHandle() { return reinterpret_cast<HINSTANCE>(&moduleImage); }

// A module is mapped afresh on every load, its static storage zero; linked in,
// the key-state table, the plugin's one static, outlives an unload unless emptied.
void emptyStatics() {
  for (DWORD key = 0; key < kKeyCount; ++key) clearKey(key);
}

}  // namespace

bool loadPlugin(const PluginFile&) {
  if (loaded != nullptr) return true;
  emptyStatics();
  loaded = ownHandle();
  setLoadError("");
  if (DllMain(loaded, DLL_PROCESS_ATTACH, nullptr) != FALSE) return true;
  setLoadError("the plugin's entry point refused the load");
  return false;
}

// Emptying the table is enough, and far cheaper than a new script stack: the script
// keeps nothing from one pass to the next (it fetches the subject afresh), so a
// script resumed after its scriptWait(0) acts as one started anew.
bool reloadPlugin(const PluginFile& file) {
  if (loaded == nullptr) return loadPlugin(file);
  emptyStatics();
  return true;
}

void unloadPlugin() {
  if (loaded == nullptr) return;
  DllMain(loaded, DLL_PROCESS_DETACH, nullptr);
  loaded = nullptr;
}

void runThreadInProcess() {
  if (loaded == nullptr) return;
  DllMain(loaded, DLL_THREAD_ATTACH, nullptr);
  DllMain(loaded, DLL_THREAD_DETACH, nullptr);
}

HINSTANCE pluginModule() { return loaded; }

// Linked in, the plugin's texts are its named constants.
const char* pluginText(const char* text) {
  return loaded != nullptr && std::strcmp(text, kStealthText) == 0 ? kStealthText : nullptr;
}

}  // namespace harness
