// Which module file the loader seam's Windows build loads, and how: read once by a
// program's main and handed to every load. The linked-in build has no file to
// load and ignores it.
#pragma once

#include <string>

namespace harness {

struct PluginFile {
  // A path, or a bare name that the loader searches its folders for.
  std::string path = "keyrelay.asi";
  // Its preferred address range held before each load, so that the loader must
  // place it elsewhere, as Windows' ASLR does.
  bool moved = false;
};

// The file the environment names: $KEYRELAY_PLUGIN (else `fallback`), moved when
// $KEYRELAY_MOVE_BASE is 1 (0, empty or unset: not moved); or an error that names
// the variable and quotes its value. Reads the environment once, here.
struct PluginFileResult {
  PluginFile file;
  std::string error;
};
PluginFileResult pluginFileFromEnvironment(std::string fallback = PluginFile{}.path);

}  // namespace harness
