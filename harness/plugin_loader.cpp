// What both builds of the loader seam share: the file a program names, and why
// the last load failed.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "harness/number.h"
#include "harness/plugin_loader.h"

namespace harness {
namespace {

std::string lastError;
bool printErrors = true;

}  // namespace

PluginFileResult pluginFileFromEnvironment(std::string fallback) {
  PluginFileResult result;
  const char* path = std::getenv("KEYRELAY_PLUGIN");
  result.file.path = path != nullptr && *path != '\0' ? std::string(path) : std::move(fallback);
  const NumberResult move = numberFromEnvironment("KEYRELAY_MOVE_BASE", 0, 0, 1);
  result.file.moved = move.value == 1;
  result.error = move.error;
  return result;
}

int loadPluginNamedByEnvironment(const char* tool, PluginFile& file) {
  PluginFileResult named = pluginFileFromEnvironment();
  if (!named.error.empty()) {
    std::fprintf(stderr, "%s: %s\n", tool, named.error.c_str());
    return 2;
  }
  file = std::move(named.file);
  return loadPlugin(file) ? 0 : 1;
}

void setLoadError(std::string why) {
  lastError = std::move(why);
  if (printErrors && !lastError.empty()) std::fprintf(stderr, "%s\n", lastError.c_str());
}

const std::string& loadError() { return lastError; }

void setLoadErrorsPrinted(bool on) { printErrors = on; }

}  // namespace harness
