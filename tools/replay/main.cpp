// keyrelay-replay: replays a scenario of key events and passes through the
// stand-in host and prints what the plugin did, step by step as it goes. On
// Windows the module it loads is $KEYRELAY_PLUGIN (else keyrelay.asi), moved off
// its base with KEYRELAY_MOVE_BASE=1.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "demo_scenario.h"
#include "harness/plugin_loader.h"
#include "harness/quote.h"
#include "harness/runner.h"
#include "harness/scenario.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr std::string_view kUsage =
    "usage: keyrelay-replay [FILE | -]   replay a scenario (- reads standard input;\n"
    "                                    none replays the built-in demo)\n"
    "       keyrelay-replay --demo       print the demo scenario\n"
    "exit status: 0 when every expect line was met, 1 when the file cannot be read\n"
    "or the plugin did not load, 2 for a faulty line or command line, 3 when an\n"
    "expect line was not met\n";

// The replay's own exit status for an expect line that was not met: a plugin
// that does otherwise than its scenario says, told apart from a faulty scenario.
constexpr int kUnmetExpectation = 3;

int usageError(const std::string& message) {
  std::cerr << "keyrelay-replay: " << message << "\n" << kUsage;
  return 2;
}

int cannotRead(const std::string& name) {
  std::cerr << "keyrelay-replay: cannot read " << name << ": " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  // The same bytes as everywhere else: no carriage returns added to the trace.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc > 2) return usageError("one scenario at a time");
  const std::string_view argument = argc == 2 ? argv[1] : "";
  if (argument == "--help" || argument == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (argument == "--demo") {
    std::cout << kDemoScenario;
    return 0;
  }
  if (argc == 2 && argument.empty()) return usageError("an empty path names no file");
  if (argument.starts_with('-') && argument != "-") {
    return usageError("unknown option " + harness::quoted(argument) +
                      " (a file whose name begins with - is ./" + std::string(argument) + ")");
  }

  const harness::PluginFileResult plugin = harness::pluginFileFromEnvironment();
  if (!plugin.error.empty()) {
    std::cerr << "keyrelay-replay: " << plugin.error << "\n";
    return 2;
  }

  std::FILE* file = nullptr;
  std::string name = "demo";
  if (argc == 2) {
    name = argument == "-" ? "standard input" : std::string(argument);
    file = argument == "-" ? stdin : std::fopen(argv[1], "rb");
    if (file == nullptr) return cannotRead(name);
    // A folder opens on some systems and fails only when read.
    const int first = std::getc(file);
    if (first == EOF && std::ferror(file)) return cannotRead(name);
    std::ungetc(first, file);
  }
  harness::ScenarioReader reader(file == nullptr ? harness::bytesOf(kDemoScenario) : [file] {
    const int byte = std::getc(file);
    return byte == EOF ? -1 : byte;
  });
  bool unmet = false;
  const bool loaded =
      harness::replayScenario(reader, plugin.file, std::cout, [&](const std::string& what) {
        std::cerr << "keyrelay-replay: " << name << ": " << what << "\n";
        unmet = true;
      });
  std::cout.flush();

  int status = 0;
  if (file != nullptr && std::ferror(file)) {
    status = cannotRead(name);
  } else if (!reader.error().empty()) {
    std::cerr << "keyrelay-replay: " << name << ": " << reader.error() << "\n";
    status = 2;
  }
  if (!loaded) std::cerr << "keyrelay-replay: the plugin did not load\n";
  if (!std::cout.good()) std::cerr << "keyrelay-replay: cannot write the trace\n";
  if (status == 0 && (!loaded || !std::cout.good())) status = 1;
  if (status == 0 && unmet) status = kUnmetExpectation;
  if (file != nullptr && file != stdin) std::fclose(file);
  return status;
}
