// The plugin's GetTickCount, where there is no Windows: the stand-in's clock.
#include "host/platform.h"
#include "standin/standin.h"

extern "C" DWORD GetTickCount() { return standin::readTick(); }
