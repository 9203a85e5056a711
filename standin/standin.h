// A stand-in for the script host, for running the plugin where the real host is
// absent: it defines the host's operations and the tick, logs every call made
// to them, plays the game's side of the natives, runs the registered script one
// pass at a time and delivers keystrokes to the registered handler.
//
// Threads: one driving thread. readTick alone may also be called from other
// threads, and then only while logging is off.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "script/native_call.h"

namespace standin {

enum class Op : unsigned char {
  kGetTickCount,
  kScriptRegister,
  kScriptUnregister,
  kScriptWait,
  kKeyboardHandlerRegister,
  kKeyboardHandlerUnregister,
  kNativeInit,
  kNativePush64,
  kNativeCall,
  kCount,  // not an operation: how many there are
};
// The operations' names, as the host spells them, in Op's order.
inline constexpr auto kOpNames = std::to_array<std::string_view>(
    {"GetTickCount", "scriptRegister", "scriptUnregister", "scriptWait", "keyboardHandlerRegister",
     "keyboardHandlerUnregister", "nativeInit", "nativePush64", "nativeCall"});
static_assert(kOpNames.size() == static_cast<std::size_t>(Op::kCount), "a name for every Op");
inline std::string_view opName(Op op) { return kOpNames.at(static_cast<std::size_t>(op)); }

// One call made to the stand-in, with what was passed or returned.
struct HostCall {
  Op op;
  // kGetTickCount: the tick returned; kScriptRegister and kScriptUnregister: the
  // module; kScriptWait: the milliseconds; the handler operations: the handler;
  // kNativeInit: the hash; kNativePush64: the slot; kNativeCall: the result slot.
  UINT64 value = 0;
  // kScriptRegister: the routine. Otherwise 0.
  UINT64 routine = 0;
  // Made on the script's own execution context, not the driver's.
  bool fromScript = false;

  friend bool operator==(const HostCall&, const HostCall&) = default;
};

// Back to a fresh process: no script or handler registered, tick 0, subject 0,
// an empty call log, logging on. The plugin's own state is not touched.
void reset();

// The millisecond clock behind GetTickCount. Starts at 0; advancing wraps at 2^32.
void setTick(DWORD ms);
void advanceTick(DWORD ms);
DWORD currentTick();
// What the plugin's GetTickCount does: returns the current tick, counts the read
// and logs it.
DWORD readTick();
// Reads since the last reset, by every thread.
unsigned long long tickReads();

// The call log: every call made to the stand-in since the last reset or
// clearCalls, in order.
const std::vector<HostCall>& calls();
void clearCalls();
// Off: calls are counted (ticks) but not logged.
void setLogging(bool on);

// The handle the subject native returns from now on. The high half of its result
// slot holds noise, which the plugin must ignore.
void setSubject(SubjectHandle subject);
inline constexpr UINT64 kResultNoise = 0xA5A5A5A5'00000000;

// Runs the registered script for one pass: from where it last handed control back
// (or from its start) to its next scriptWait. False, running nothing, when no
// script is registered or the routine has returned.
bool runPass();

// A keyboard event, with the fields of the keystroke message.
struct Keystroke {
  DWORD key = 0;
  WORD repeatCount = 1;
  BYTE scanCode = 0;
  BOOL extended = 0;
  BOOL contextCode = 0;
  BOOL previousState = 0;
  BOOL transitionState = 0;

  friend bool operator==(const Keystroke&, const Keystroke&) = default;
};
// A first press: previous state 0, transition 0 (an auto-repeat has previous 1).
Keystroke press(DWORD key);
// A release: previous state 1, transition 1.
Keystroke release(DWORD key);

// Calls the registered keystroke handler with `keystroke`, on the calling thread.
// False when no handler is registered.
bool deliverKeystroke(const Keystroke& keystroke);

// Whether the script ended by an exception, which its entry caught: a host guards
// the scripts it runs, so a failing script ends alone, not the process.
bool scriptThrew();

}  // namespace standin
