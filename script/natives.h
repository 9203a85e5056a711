// The natives the plugin calls, and the one text it passes.
#pragma once

#include "script/native_call.h"

// () -> SubjectHandle in the low 32 bits of the result slot.
inline constexpr NativeHash kSubjectNative = 0x096275889B8E0EE0;
// (subject zero-filled, textAddress(kStealthText)); result unused.
inline constexpr NativeHash kStealthNative = 0x89F5E7ADECCCB49C;
// (subject zero-filled, 1 zero-filled, 0, 0); result unused.
inline constexpr NativeHash kFollowUpNative = 0x4C3FA937B44A90FA;
// (subject sign-extended); result unused.
inline constexpr NativeHash kHoldNative = 0x58F7DB5BD8FA2288;

// Passed by address, never copied: one static text for the life of the module.
inline constexpr char kStealthText[] = "stealth";
