// keyrelay-replay: replays a scenario of key events and passes through the
// stand-in host and prints what the plugin did.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>

#include "demo_scenario.h"
#include "harness/scenario.h"
#include "harness/trace.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr std::string_view kUsage =
    "usage: keyrelay-replay [FILE | -]   replay a scenario (- reads standard input;\n"
    "                                    none replays the built-in demo)\n"
    "       keyrelay-replay --demo       print the demo scenario\n";

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  // The same bytes as everywhere else: no carriage returns added to the trace.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc > 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string_view argument = argc == 2 ? argv[1] : "";
  if (argument == "--help" || argument == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (argument == "--demo") {
    std::cout << kDemoScenario;
    return 0;
  }

  std::string text(kDemoScenario);
  std::string name = "demo";
  if (!argument.empty()) {
    name = argument == "-" ? "standard input" : std::string(argument);
    harness::ReadResult read = harness::readScenarioFile(std::string(argument));
    if (!read.error.empty()) {
      std::cerr << "keyrelay-replay: " << read.error << "\n";
      return 1;
    }
    text = std::move(read.text);
  }

  const harness::ParseResult parsed = harness::parseScenario(text);
  if (!parsed.error.empty()) {
    std::cerr << "keyrelay-replay: " << name << ": " << parsed.error << "\n";
    return 2;
  }
  const harness::Replay replayed = harness::replayScenario(parsed.timeline);
  std::cout << replayed.trace;
  std::cout.flush();
  if (replayed.loadFailed) std::cerr << "keyrelay-replay: the plugin did not load\n";
  return std::cout.good() && !replayed.loadFailed ? 0 : 1;
}
