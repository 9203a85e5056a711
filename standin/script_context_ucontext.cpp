// The script's context on POSIX systems: ucontext.
#include <ucontext.h>

#include <cstddef>
#include <memory>

#include "standin/script_context.h"

namespace standin::context {
namespace {

// Generous, so that sanitizer builds fit too.
constexpr std::size_t kStackBytes = 512 * 1024;

struct Script {
  ucontext_t driver{};
  ucontext_t script{};
  std::unique_ptr<char[]> stack;
  ScriptRoutine routine = nullptr;
  bool running = false;   // on the script's context now
  bool returned = false;  // the routine came back, which a script must not do
};

Script* current = nullptr;

void enter() {
  current->running = true;
  swapcontext(&current->driver, &current->script);
  current->running = false;
}

void trampoline() {
  current->routine();
  current->returned = true;
  // uc_link takes the context back to the driver.
}

}  // namespace

void create(ScriptRoutine routine) {
  drop();
  current = new Script;
  current->routine = routine;
  current->stack = std::make_unique_for_overwrite<char[]>(kStackBytes);
  getcontext(&current->script);
  current->script.uc_stack.ss_sp = current->stack.get();
  current->script.uc_stack.ss_size = kStackBytes;
  current->script.uc_link = &current->driver;
  makecontext(&current->script, trampoline, 0);
}

bool resume() {
  if (current == nullptr || current->returned || current->running) return false;
  enter();
  return true;
}

void yieldToDriver() {
  if (current == nullptr || !current->running) return;
  swapcontext(&current->script, &current->driver);
}

bool inScript() { return current != nullptr && current->running; }

void drop() {
  // A script cannot drop the stack it runs on; the host never asks for that.
  if (current == nullptr || current->running) return;
  delete current;
  current = nullptr;
}

}  // namespace standin::context
