// Why the last load of the plugin failed, kept the same way by both builds of the
// loader seam.
#include <cstdio>
#include <utility>

#include "harness/load_error.h"

namespace harness {
namespace {

std::string lastError;
bool printErrors = true;

}  // namespace

void setLoadError(std::string why) {
  lastError = std::move(why);
  if (printErrors && !lastError.empty()) std::fprintf(stderr, "%s\n", lastError.c_str());
}

const std::string& loadError() { return lastError; }

void setLoadErrorsPrinted(bool on) { printErrors = on; }

}  // namespace harness
