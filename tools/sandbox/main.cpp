// keyrelay-sandbox: the shipped module in a window, driven by the keyboard. It
// plays host and game: it loads the module through the stand-in host, hands it
// every key the window gets, and runs its script once a frame.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sandbox/display.h"
#include "tools/sandbox/session.h"
#include "tools/sandbox/window.h"

namespace {

constexpr std::string_view kUsage =
    "usage: keyrelay-sandbox [--trace FILE] [--record FILE] [--frame MS] [MODULE]\n"
    "  MODULE          the plugin to load (else $KEYRELAY_PLUGIN, else dist/keyrelay.asi)\n"
    "  --trace FILE    write what the plugin did, as keyrelay-replay prints it\n"
    "  --record FILE   write the session as a scenario for keyrelay-replay\n"
    "  --frame MS      the frame time to start with, 1 to 10000 (16)\n";
constexpr const char* kDefaultModule = "dist/keyrelay.asi";
constexpr DWORD kDefaultFrameMs = 16;
constexpr DWORD kLongestFrameMs = 10'000;

struct Options {
  std::string module;
  std::string trace;
  std::string record;
  DWORD frameMs = kDefaultFrameMs;
};

// A GUI program may have no console: the message goes to standard error and a box.
int fail(const std::string& message) {
  std::fprintf(stderr, "keyrelay-sandbox: %s\n", message.c_str());
  MessageBoxA(nullptr, message.c_str(), "keyrelay sandbox", MB_OK | MB_ICONERROR);
  return 1;
}

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    const bool takesValue = word == "--trace" || word == "--record" || word == "--frame";
    if (takesValue && i + 1 == argc) return std::nullopt;
    if (word == "--trace") {
      options.trace = argv[++i];
    } else if (word == "--record") {
      options.record = argv[++i];
    } else if (word == "--frame") {
      const std::string_view value = argv[++i];
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), options.frameMs);
      if (error != std::errc() || end != value.data() + value.size() || options.frameMs == 0 ||
          options.frameMs > kLongestFrameMs) {
        return std::nullopt;
      }
    } else if (word.starts_with("-") || !options.module.empty()) {
      return std::nullopt;
    } else {
      options.module = word;
    }
  }
  return options;
}

// Opens `path` for writing when one is given; false when it cannot be.
bool openOutput(const std::string& path, std::ofstream& file) {
  if (path.empty()) return true;
  file.open(path, std::ios::binary | std::ios::trunc);
  return file.is_open();
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parse(argc, argv);
  if (!options) return fail(std::string(kUsage));
  // The stand-in loads the module named by $KEYRELAY_PLUGIN.
  if (!options->module.empty()) {
    _putenv(("KEYRELAY_PLUGIN=" + options->module).c_str());
  } else if (std::getenv("KEYRELAY_PLUGIN") == nullptr) {
    _putenv((std::string("KEYRELAY_PLUGIN=") + kDefaultModule).c_str());
  }
  std::ofstream trace;
  std::ofstream record;
  if (!openOutput(options->trace, trace)) return fail("cannot write " + options->trace);
  if (!openOutput(options->record, record)) return fail("cannot write " + options->record);

  sandbox::Display display;
  sandbox::Session session(display, trace.is_open() ? &trace : nullptr,
                           record.is_open() ? &record : nullptr);
  if (!session.loaded()) {
    session.finish();
    return fail(std::string("cannot load ") + std::getenv("KEYRELAY_PLUGIN"));
  }
  const int exitCode = sandbox::runWindow(session, display, options->frameMs);
  if (!session.finish()) return fail("cannot write the trace or the recording");
  return exitCode;
}
