// The plugin's script: what the key bindings do.
#pragma once

#include "host/platform.h"

// The bindings, tested in this order in every pass.
inline constexpr DWORD kStealthKey = 0x58;     // X: on release, the stealth native
inline constexpr DWORD kFollowUpKey = 0x43;    // C: on release, stealth then follow-up
inline constexpr DWORD kHoldKey = VK_CONTROL;  // Ctrl: while held, the hold native

// The ScriptRoutine registered with the host. Never returns: each pass fetches the
// subject, acts on the three bindings and hands control back with scriptWait(0).
[[noreturn]] void runScript();
