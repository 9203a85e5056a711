// Where the Windows build of the stand-in meets the plugin, it is as unkind as the
// x64 calling convention allows, as a host built by another compiler may be: what
// a caller may not rely on after a call, or a callee in its arguments, holds
// values that expose one that does.
//
// - Its eight exports, under the decorated names the plugin imports, call the
//   stand-in's operations (host_operations.cpp, under the implementations'
//   names) and then leave junk in RCX, RDX, R8 to R11 and XMM0 to XMM5, and 0 in
//   RAX where the operation returns nothing: a result its caller forgot to set
//   reads as FALSE.
//   nativeCall leaves its result, the slot's address, in RAX.
// - The keystroke handler gets each field with junk above its declared width: the
//   DWORD key in ECX, the WORD repeat count in DX, the BYTE scan code in R8B, the
//   BOOLs in R9D and in the low halves of their stack slots.
//
// Written in assembly, since no compiler leaves junk on purpose; with unwind data,
// so that a stack walk or an exception crosses these frames.
#include <cstddef>

#include "host/host_exports.h"
#include "standin/handler_call.h"
#include "standin/implementation_names_windows.h"

// The offsets the handler call reads the fields at.
static_assert(offsetof(standin::Keystroke, key) == 0);
static_assert(offsetof(standin::Keystroke, repeatCount) == 4);
static_assert(offsetof(standin::Keystroke, scanCode) == 6);
static_assert(offsetof(standin::Keystroke, extended) == 8);
static_assert(offsetof(standin::Keystroke, contextCode) == 12);
static_assert(offsetof(standin::Keystroke, previousState) == 16);
static_assert(offsetof(standin::Keystroke, transitionState) == 20);

__asm__(
    "  .text\n"
    // The junk: no small number, no flag, and not a canonical address, so that a
    // pointer taken from it faults at once; and its high half, which is what lies
    // above a 32-bit field.
    "  .set junk, 0xC3C3C3C3C3C3C3C3\n"
    "  .set junkHighHalf, 0xC3C3C3C300000000\n"

    // Junk in every volatile register but RAX: a leaf, its stack untouched.
    "  .p2align 4\n"
    "standin.junkVolatiles:\n"
    "  movabsq $junk, %rcx\n"
    "  movq %rcx, %rdx\n"
    "  movq %rcx, %r8\n"
    "  movq %rcx, %r9\n"
    "  movq %rcx, %r10\n"
    "  movq %rcx, %r11\n"
    "  pcmpeqd %xmm0, %xmm0\n"
    "  pcmpeqd %xmm1, %xmm1\n"
    "  pcmpeqd %xmm2, %xmm2\n"
    "  pcmpeqd %xmm3, %xmm3\n"
    "  pcmpeqd %xmm4, %xmm4\n"
    "  pcmpeqd %xmm5, %xmm5\n"
    "  retq\n"

    // unkindExport export, implementation, rax: the global function `export`,
    // exported, which calls `implementation` from a frame of the shadow space (40
    // bytes, which also aligns the stack for the call), puts junk in the volatile
    // registers, and then, for `rax` zero, clears RAX; for `rax` result, leaves it
    // as `implementation` did.
    ".macro unkindExport export, implementation, rax\n"
    "  .def \"\\export\"; .scl 2; .type 32; .endef\n"
    "  .globl \"\\export\"\n"
    "  .p2align 4\n"
    "\"\\export\":\n"
    "  .seh_proc \"\\export\"\n"
    "  subq $40, %rsp\n"
    "  .seh_stackalloc 40\n"
    "  .seh_endprologue\n"
    "  callq \"\\implementation\"\n"
    "  callq standin.junkVolatiles\n"
    "  .ifc \\rax, zero\n"
    "  xorl %eax, %eax\n"
    "  .endif\n"
    "  addq $40, %rsp\n"
    "  retq\n"
    "  .seh_endproc\n"
    "  .section .drectve,\"yn\"\n"
    "  .ascii \" -export:\\\"\\export\\\"\"\n"
    "  .text\n"
    ".endm\n"

    // callHandler(handler in RCX, keystroke in RDX). The frame: the shadow space,
    // then the three stack arguments; 16-aligned at the call. The two arguments
    // wait in this function's own home slots while the registers fill with junk.
    "  .def standin.callHandler; .scl 2; .type 32; .endef\n"
    "  .globl standin.callHandler\n"
    "  .p2align 4\n"
    "standin.callHandler:\n"
    "  .seh_proc standin.callHandler\n"
    "  subq $56, %rsp\n"
    "  .seh_stackalloc 56\n"
    "  .seh_endprologue\n"
    "  movq %rcx, 64(%rsp)\n"
    "  movq %rdx, 72(%rsp)\n"
    "  callq standin.junkVolatiles\n"
    "  movq 72(%rsp), %rax\n"
    // The BOOLs on the stack: slots of junk, each field written over its low half.
    "  movq %rcx, 32(%rsp)\n"
    "  movq %rcx, 40(%rsp)\n"
    "  movq %rcx, 48(%rsp)\n"
    "  movl 12(%rax), %r10d\n"
    "  movl %r10d, 32(%rsp)\n"
    "  movl 16(%rax), %r10d\n"
    "  movl %r10d, 40(%rsp)\n"
    "  movl 20(%rax), %r10d\n"
    "  movl %r10d, 48(%rsp)\n"
    // A 16- or 8-bit write keeps the junk above it; a 32-bit write clears the high
    // half, so junk goes back there.
    "  movw 4(%rax), %dx\n"
    "  movb 6(%rax), %r8b\n"
    "  movabsq $junkHighHalf, %r10\n"
    "  movl 0(%rax), %ecx\n"
    "  orq %r10, %rcx\n"
    "  movl 8(%rax), %r9d\n"
    "  orq %r10, %r9\n"
    "  movq %r11, %r10\n"
    "  movq %r11, %rax\n"
    "  callq *64(%rsp)\n"
    "  addq $56, %rsp\n"
    "  retq\n"
    "  .seh_endproc\n");

// The export of `operation`, which leaves in RAX what `rax` says (above).
#define KEYRELAY_UNKIND_EXPORT(operation, rax)          \
  __asm__("unkindExport \"" KEYRELAY_EXPORT_##operation \
          "\", \"" KEYRELAY_IMPLEMENTATION_NAME(operation) "\", " rax)

KEYRELAY_UNKIND_EXPORT(scriptRegister, "zero");
KEYRELAY_UNKIND_EXPORT(scriptUnregister, "zero");
KEYRELAY_UNKIND_EXPORT(scriptWait, "zero");
KEYRELAY_UNKIND_EXPORT(keyboardHandlerRegister, "zero");
KEYRELAY_UNKIND_EXPORT(keyboardHandlerUnregister, "zero");
KEYRELAY_UNKIND_EXPORT(nativeInit, "zero");
KEYRELAY_UNKIND_EXPORT(nativePush64, "zero");
KEYRELAY_UNKIND_EXPORT(nativeCall, "result");
