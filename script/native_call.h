// Calling a native through the host: begin, push the argument slots, call.
//
// Every argument takes one 64-bit slot, and each slot is packed on purpose at the
// call site: callNative accepts only Slot values, and a Slot is made only by
// zeroFilled, signExtended or textAddress, each of which takes exactly the type it
// widens. An argument of another type, or a raw number, does not compile.
#pragma once

#include <type_traits>

#include "host/host.h"

// A signed 32-bit handle to the subject of the natives.
using SubjectHandle = INT32;

// One 64-bit native argument.
struct Slot {
  UINT64 bits;
};

// The 32 bits in the low half, zeros in the high half.
constexpr Slot zeroFilled(DWORD value) { return Slot{value}; }
constexpr Slot zeroFilled(INT32 value) { return Slot{static_cast<DWORD>(value)}; }
template <typename T>
Slot zeroFilled(T) = delete;

// The signed 32-bit value as a signed 64-bit one.
constexpr Slot signExtended(INT32 value) {
  return Slot{static_cast<UINT64>(static_cast<long long>(value))};
}
template <typename T>
Slot signExtended(T) = delete;

// The address of the first character of a NUL-terminated text. The text must
// outlive the call.
inline Slot textAddress(const char* text) { return Slot{reinterpret_cast<UINT64>(text)}; }
template <typename T>
Slot textAddress(T) = delete;

// Calls the native `hash` with `slots` pushed in order, first argument first, and
// returns the host's result slot. Read the result before any other host call.
// Script routine only.
template <typename... Slots>
  requires(std::is_same_v<Slots, Slot> && ...)
UINT64* callNative(NativeHash hash, Slots... slots) {
  nativeInit(hash);
  (nativePush64(slots.bits), ...);
  return nativeCall();
}
