// The script's context on POSIX systems: ucontext.
#include <ucontext.h>

#include <cstddef>
#include <memory>

#include "standin/script_context.h"

// Sanitizers track each stack; a switch they are not told of looks to them like
// a wild jump. So under AddressSanitizer and ThreadSanitizer every switch is
// announced. GCC names the sanitizers in macros, clang as features.
#if defined(__has_feature)
#define KEYRELAY_HAS_FEATURE(name) __has_feature(name)
#else
#define KEYRELAY_HAS_FEATURE(name) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || KEYRELAY_HAS_FEATURE(address_sanitizer)
#define KEYRELAY_ANNOUNCE_TO_ASAN 1
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(__SANITIZE_THREAD__) || KEYRELAY_HAS_FEATURE(thread_sanitizer)
#define KEYRELAY_ANNOUNCE_TO_TSAN 1
#include <sanitizer/tsan_interface.h>
#endif

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
  bool threw = false;     // an exception ended it
#if defined(KEYRELAY_ANNOUNCE_TO_ASAN)
  void* scriptFakeStack = nullptr;
  void* driverFakeStack = nullptr;
  const void* driverStack = nullptr;
  std::size_t driverStackBytes = 0;
#endif
#if defined(KEYRELAY_ANNOUNCE_TO_TSAN)
  void* scriptFiber = nullptr;
  void* driverFiber = nullptr;
#endif
};

Script* current = nullptr;

// Around each switch: `leaving` before it, `arrived` after it, on each side.
void leavingDriver() {
#if defined(KEYRELAY_ANNOUNCE_TO_ASAN)
  __sanitizer_start_switch_fiber(&current->driverFakeStack, current->stack.get(), kStackBytes);
#endif
#if defined(KEYRELAY_ANNOUNCE_TO_TSAN)
  current->driverFiber = __tsan_get_current_fiber();
  __tsan_switch_to_fiber(current->scriptFiber, 0);
#endif
}

void arrivedInDriver() {
#if defined(KEYRELAY_ANNOUNCE_TO_ASAN)
  __sanitizer_finish_switch_fiber(current->driverFakeStack, nullptr, nullptr);
#endif
}

// `finished`: the script will not be switched back to.
void leavingScript(bool finished) {
#if defined(KEYRELAY_ANNOUNCE_TO_ASAN)
  __sanitizer_start_switch_fiber(finished ? nullptr : &current->scriptFakeStack,
                                 current->driverStack, current->driverStackBytes);
#else
  (void)finished;
#endif
#if defined(KEYRELAY_ANNOUNCE_TO_TSAN)
  __tsan_switch_to_fiber(current->driverFiber, 0);
#endif
}

void arrivedInScript() {
#if defined(KEYRELAY_ANNOUNCE_TO_ASAN)
  __sanitizer_finish_switch_fiber(current->scriptFakeStack, &current->driverStack,
                                  &current->driverStackBytes);
#endif
}

void trampoline() {
  arrivedInScript();
  current->threw = runGuarded(current->routine);
  current->returned = true;
  leavingScript(true);
  // uc_link takes the context back to the driver.
}

}  // namespace

void create(ScriptRoutine routine) {
  drop();
  current = new Script;
  current->routine = routine;
  current->stack = std::make_unique_for_overwrite<char[]>(kStackBytes);
#if defined(KEYRELAY_ANNOUNCE_TO_TSAN)
  current->scriptFiber = __tsan_create_fiber(0);
#endif
  getcontext(&current->script);
  current->script.uc_stack.ss_sp = current->stack.get();
  current->script.uc_stack.ss_size = kStackBytes;
  current->script.uc_link = &current->driver;
  makecontext(&current->script, trampoline, 0);
}

bool resume() {
  if (current == nullptr || current->returned || current->running) return false;
  current->running = true;
  leavingDriver();
  swapcontext(&current->driver, &current->script);
  arrivedInDriver();
  current->running = false;
  return true;
}

void yieldToDriver() {
  if (current == nullptr || !current->running) return;
  leavingScript(false);
  swapcontext(&current->script, &current->driver);
  arrivedInScript();
}

bool inScript() { return current != nullptr && current->running; }
bool threw() { return current != nullptr && current->threw; }
const void* entryFunction() { return reinterpret_cast<const void*>(&trampoline); }

void drop() {
  // A script cannot drop the stack it runs on; the host never asks for that.
  if (current == nullptr || current->running) return;
#if defined(KEYRELAY_ANNOUNCE_TO_TSAN)
  __tsan_destroy_fiber(current->scriptFiber);
#endif
  delete current;
  current = nullptr;
}

}  // namespace standin::context
