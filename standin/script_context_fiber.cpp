// The script's context on Windows: a fiber.
#include "host/platform.h"
#include "standin/script_context.h"

namespace standin::context {
namespace {

constexpr SIZE_T kStackBytes = 512 * 1024;

struct Script {
  LPVOID driver = nullptr;
  LPVOID fiber = nullptr;
  ScriptRoutine routine = nullptr;
  bool running = false;
  bool returned = false;
  bool threw = false;
};

Script* current = nullptr;

void WINAPI fiberMain(LPVOID) {
  // An exception crosses the plugin's frames on their unwind data.
  current->threw = runGuarded(current->routine);
  current->returned = true;
  // A fiber must never return: that would end the thread.
  for (;;) SwitchToFiber(current->driver);
}

}  // namespace

void create(ScriptRoutine routine) {
  drop();
  current = new Script;
  current->routine = routine;
  current->fiber = CreateFiber(kStackBytes, fiberMain, nullptr);
}

bool resume() {
  if (current == nullptr || current->fiber == nullptr || current->returned || current->running) {
    return false;
  }
  // The driver's thread becomes a fiber the first time it runs a script.
  current->driver = IsThreadAFiber() ? GetCurrentFiber() : ConvertThreadToFiber(nullptr);
  current->running = true;
  SwitchToFiber(current->fiber);
  current->running = false;
  return true;
}

void yieldToDriver() {
  if (current == nullptr || !current->running) return;
  SwitchToFiber(current->driver);
}

bool inScript() { return current != nullptr && current->running; }
bool threw() { return current != nullptr && current->threw; }
const void* entryFunction() { return reinterpret_cast<const void*>(&fiberMain); }

void drop() {
  if (current == nullptr || current->running) return;
  if (current->fiber != nullptr) DeleteFiber(current->fiber);
  delete current;
  current = nullptr;
}

}  // namespace standin::context
