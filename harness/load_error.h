// Why the last load of the plugin failed, kept the same way by both builds of the
// loader seam (load_error.cpp). Threads: the driving thread only.
#pragma once

#include <string>

namespace harness {

// Why the last load failed, as a line for a person ("cannot load PATH: error 126:
// The specified module could not be found."); empty after a load that succeeded.
const std::string& loadError();
// Whether a failed load also writes that line to standard error, as it does
// unless turned off by a caller that shows it itself.
void setLoadErrorsPrinted(bool on);
// For the seam's two builds: keeps `why` as the reason loadError() gives, and
// writes it to standard error unless turned off; an empty `why` clears it (a load
// that succeeded, or one about to be tried).
void setLoadError(std::string why);

}  // namespace harness
