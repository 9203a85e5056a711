// How the stand-in calls the plugin's keystroke handler with a keystroke's fields.
// Internal to the stand-in.
#pragma once

#include "standin/standin.h"

namespace standin {

#if defined(_WIN32)
// Each field with junk above its declared width, in its register or stack slot,
// as the calling convention lets a caller leave it (calling_convention_windows.cpp).
void callHandler(KeystrokeHandler handler,
                 const Keystroke& keystroke) __asm__("standin.callHandler");
#else
inline void callHandler(KeystrokeHandler handler, const Keystroke& k) {
  handler(k.key, k.repeatCount, k.scanCode, k.extended, k.contextCode, k.previousState,
          k.transitionState);
}
#endif

}  // namespace standin
