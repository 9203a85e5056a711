// keyrelay-standin-junk: the Windows stand-in leaves nothing that a caller or a
// callee may not rely on. Each of its eight exports is called from assembly with a
// marker in every volatile register; afterwards none may hold what the caller put
// there, and RAX must be 0 (after nativeCall: its result slot). The keystroke
// handler it calls must find each field intact, with junk above its declared width.
#include <cstdio>
#include <string>

#include "host/host.h"
#include "script/natives.h"
#include "standin/standin.h"

// What the callers put in the registers the callee may change: a plain macro, for
// the assembly below too.
#define KEYRELAY_MARKER 0x4D4D4D4D4D4D4D4D
#define KEYRELAY_TEXT(x) KEYRELAY_TEXT_OF(x)
#define KEYRELAY_TEXT_OF(x) #x

// What the calls below leave, in this order: RAX, RCX, RDX, R8, R9, R10, R11.
using Registers = UINT64[7];
// Calls `function` with `argument` in RCX and the marker in RDX and R8 to R11.
void callMarked(const void* function, UINT64 argument, Registers& after) __asm__("callMarked");
// A keystroke handler that keeps RCX, RDX, R8, R9 and its three stack slots.
extern "C" void keepArguments();
extern "C" {
UINT64 keptArguments[7];  // written by keepArguments
}

namespace {

constexpr UINT64 kMarker = KEYRELAY_MARKER;

struct Operation {
  const char* name;
  const void* function;
  UINT64 argument;
};
// Each with an argument of its type; the script registered here never runs.
const Operation kOperations[] = {
    {"scriptRegister", reinterpret_cast<const void*>(&scriptRegister), 0x10000},
    {"scriptUnregister", reinterpret_cast<const void*>(&scriptUnregister), 0x20000},
    {"scriptWait", reinterpret_cast<const void*>(&scriptWait), 0},
    {"keyboardHandlerRegister", reinterpret_cast<const void*>(&keyboardHandlerRegister), 0x30000},
    {"keyboardHandlerUnregister", reinterpret_cast<const void*>(&keyboardHandlerUnregister),
     0x30000},
    {"nativeInit", reinterpret_cast<const void*>(&nativeInit), kSubjectNative},
    {"nativePush64", reinterpret_cast<const void*>(&nativePush64), 7},
    {"nativeCall", reinterpret_cast<const void*>(&nativeCall), 0},
};

}  // namespace

__asm__(
    "  .text\n"
    "  .globl callMarked\n"
    "callMarked:\n"
    "  .seh_proc callMarked\n"
    "  pushq %rbx\n"
    "  .seh_pushreg %rbx\n"
    "  pushq %rsi\n"
    "  .seh_pushreg %rsi\n"
    "  subq $40, %rsp\n"
    "  .seh_stackalloc 40\n"
    "  .seh_endprologue\n"
    "  movq %rcx, %rsi\n"
    "  movq %r8, %rbx\n"
    "  movq %rdx, %rcx\n"
    "  movabsq $" KEYRELAY_TEXT(KEYRELAY_MARKER) ", %rdx\n"
    "  movq %rdx, %r8\n"
    "  movq %rdx, %r9\n"
    "  movq %rdx, %r10\n"
    "  movq %rdx, %r11\n"
    "  callq *%rsi\n"
    "  movq %rax, 0(%rbx)\n"
    "  movq %rcx, 8(%rbx)\n"
    "  movq %rdx, 16(%rbx)\n"
    "  movq %r8, 24(%rbx)\n"
    "  movq %r9, 32(%rbx)\n"
    "  movq %r10, 40(%rbx)\n"
    "  movq %r11, 48(%rbx)\n"
    "  addq $40, %rsp\n"
    "  popq %rsi\n"
    "  popq %rbx\n"
    "  retq\n"
    "  .seh_endproc\n"
    // A leaf: the stack arguments lie above its return address and shadow space.
    "  .globl keepArguments\n"
    "keepArguments:\n"
    "  movq %rcx, keptArguments+0(%rip)\n"
    "  movq %rdx, keptArguments+8(%rip)\n"
    "  movq %r8, keptArguments+16(%rip)\n"
    "  movq %r9, keptArguments+24(%rip)\n"
    "  movq 40(%rsp), %rax\n"
    "  movq %rax, keptArguments+32(%rip)\n"
    "  movq 48(%rsp), %rax\n"
    "  movq %rax, keptArguments+40(%rip)\n"
    "  movq 56(%rsp), %rax\n"
    "  movq %rax, keptArguments+48(%rip)\n"
    "  retq\n");

int main() {
  int failures = 0;
  const auto check = [&](bool passed, const std::string& what) {
    std::printf("%s: %s\n", passed ? "ok" : "FAILED", what.c_str());
    failures += passed ? 0 : 1;
  };
  const char* const kNames[] = {"RAX", "RCX", "RDX", "R8", "R9", "R10", "R11"};
  for (const Operation& operation : kOperations) {
    const std::string name = operation.name;
    Registers after{};
    callMarked(operation.function, operation.argument, after);
    if (name == "nativeCall") {
      const auto* slot = reinterpret_cast<const UINT64*>(after[0]);
      check(slot != nullptr && *slot == standin::calls().back().value,
            name + " leaves its result slot in RAX");
    } else {
      check(after[0] == 0, name + " leaves 0 in RAX");
    }
    std::string kept = after[1] == operation.argument ? " RCX" : "";
    for (int r = 2; r < 7; ++r) kept += after[r] == kMarker ? std::string(" ") + kNames[r] : "";
    check(kept.empty(), name + " leaves junk in RCX, RDX and R8 to R11" +
                            (kept.empty() ? "" : ", but kept what it was given in" + kept));
  }
  standin::reset();

  const standin::Keystroke k{.key = 0x58,
                             .repeatCount = 0x1234,
                             .scanCode = 0x2D,
                             .extended = 1,
                             .contextCode = 2,
                             .previousState = 3,
                             .transitionState = 4};
  struct Field {
    const char* name;
    UINT64 value;
    int bits;
  };
  const Field kFields[] = {{"key", k.key, 32},
                           {"repeat count", k.repeatCount, 16},
                           {"scan code", k.scanCode, 8},
                           {"extended flag", static_cast<UINT64>(k.extended), 32},
                           {"context code", static_cast<UINT64>(k.contextCode), 32},
                           {"previous state", static_cast<UINT64>(k.previousState), 32},
                           {"transition state", static_cast<UINT64>(k.transitionState), 32}};
  keyboardHandlerRegister(reinterpret_cast<KeystrokeHandler>(&keepArguments));
  check(standin::deliverKeystroke(k), "the handler is called");
  for (int i = 0; i < 7; ++i) {
    const Field& f = kFields[i];
    const UINT64 below = (UINT64{1} << f.bits) - 1;
    check((keptArguments[i] & below) == f.value && (keptArguments[i] >> f.bits) != 0,
          std::string("the handler gets the ") + f.name + " intact, with junk above its " +
              std::to_string(f.bits) + " bits");
  }
  standin::reset();
  return failures == 0 ? 0 : 1;
}
