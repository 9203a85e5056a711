#include "harness/plugin_file.h"

#include <cstdlib>
#include <utility>

#include "harness/number.h"

namespace harness {

PluginFileResult pluginFileFromEnvironment(std::string fallback) {
  PluginFileResult result;
  const char* path = std::getenv("KEYRELAY_PLUGIN");
  result.file.path = path != nullptr && *path != '\0' ? std::string(path) : std::move(fallback);
  const NumberResult move = numberFromEnvironment("KEYRELAY_MOVE_BASE", 0, 0, 1);
  result.file.moved = move.value == 1;
  result.error = move.error;
  return result;
}

}  // namespace harness
