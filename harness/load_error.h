// Why the last load of the plugin failed, kept by the loader seam's two builds in
// one way. Internal to harness/.
#pragma once

#include <string>

namespace harness {

// Keeps `why` as the reason loadError() gives, and writes it to standard error
// unless setLoadErrorsPrinted(false); an empty `why` clears it (a load that
// succeeded, or one about to be tried).
void setLoadError(std::string why);

}  // namespace harness
