// The sandbox's window and its game loop, on the calling thread: each keyboard
// message to the window goes to the session as it arrives, and each frame runs
// one pass; the display is repainted on news and a few times a second, so that
// the ages it shows move on between frames however long they are.
#pragma once

#include <string>

#include "host/platform.h"
#include "tools/sandbox/display.h"
#include "tools/sandbox/session.h"

namespace sandbox {

// Opens the window and runs frames of `frameMs` until it is closed (or Esc is
// pressed). Empty when it closed normally; why not, when the window could not be
// opened.
std::string runWindow(Session& session, Display& display, DWORD frameMs);

}  // namespace sandbox
