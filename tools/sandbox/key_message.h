// What a host makes of a keyboard message to the game's window: the keystroke
// handler's seven arguments, taken from the message's parameters as Windows
// documents them. The same for WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN and WM_SYSKEYUP.
#pragma once

#include <cstdint>

#include "standin/standin.h"

namespace sandbox {

// wParam holds the virtual-key code; one that does not fit in 32 bits becomes
// 0xFFFFFFFF, a code no key has, rather than the key its low bits would name.
// lParam: the repeat count in bits 0-15, the scan code in 16-23, and the flags
// extended key (24), context code (29), previous key state (30) and transition
// state (31), each given as 0 or 1. Its other bits are ignored.
standin::Keystroke decodeKeyMessage(std::uint64_t wParam, std::int64_t lParam);

}  // namespace sandbox
