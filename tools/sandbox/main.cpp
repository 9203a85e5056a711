// keyrelay-sandbox: the shipped module in a window, driven by the keyboard. It
// plays host and game: it loads the module through the stand-in host, hands it
// every key the window gets, and runs its script once a frame.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "harness/number.h"
#include "harness/plugin_loader.h"
#include "harness/quote.h"
#include "tools/sandbox/display.h"
#include "tools/sandbox/session.h"
#include "tools/sandbox/window.h"

namespace {

constexpr std::string_view kUsage =
    "usage: keyrelay-sandbox [--trace FILE] [--scenario FILE] [--frame MS] [MODULE]\n"
    "  MODULE           the plugin to load (else $KEYRELAY_PLUGIN, else dist/keyrelay.asi)\n"
    "  --trace FILE     write what the plugin did, as keyrelay-replay prints it\n"
    "  --scenario FILE  write the session as a scenario for keyrelay-replay\n"
    "  --frame MS       the frame time to start with, 1 to 10000 (16)\n"
    "Exit status: 0 when closed, 1 when something failed, 2 for a wrong command line.\n";
constexpr const char* kDefaultModule = "dist/keyrelay.asi";
constexpr const char* kTitle = "keyrelay sandbox";
constexpr DWORD kDefaultFrameMs = 16;
constexpr DWORD kLongestFrameMs = 10'000;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

struct Options {
  std::string module;
  std::string trace;
  std::string scenario;
  DWORD frameMs = kDefaultFrameMs;
  bool help = false;
};

// The command line read, or what is wrong with it.
struct Parsed {
  Options options;
  std::string error;
};

// Where the sandbox's messages go: the terminal or console it was started from,
// null when there is none (started from Explorer), and a message box shows them.
// Under Wine from a shell, standard error is the shell's; on Windows a GUI
// program started from a console gets no handles of its own and attaches to it.
HANDLE messageOutput() {
  const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  if (standardError != nullptr && standardError != INVALID_HANDLE_VALUE &&
      GetFileType(standardError) != FILE_TYPE_UNKNOWN) {
    return standardError;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return nullptr;
  const HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

// Shows `text` (whole lines) where the person who started the sandbox is.
void show(const std::string& text, bool error) {
  if (const HANDLE out = messageOutput(); out != nullptr) {
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

int fail(const std::string& message, int status = kFailed) {
  std::string text = "keyrelay-sandbox: " + message + "\n";
  if (status == kUsageError) text += kUsage;
  show(text, true);
  return status;
}

Parsed parse(int argc, char** argv) {
  Parsed parsed;
  Options& options = parsed.options;
  const auto wrong = [&](std::string error) {
    parsed.error = std::move(error);
    return parsed;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    const bool takesValue = word == "--trace" || word == "--scenario" || word == "--frame";
    if (takesValue && i + 1 == argc) {
      return wrong(std::string(word) +
                   (word == "--frame" ? " takes 1 to 10000 ms" : " takes a file name"));
    }
    if (word == "--help" || word == "-h") {
      options.help = true;
    } else if (word == "--trace") {
      options.trace = argv[++i];
    } else if (word == "--scenario") {
      options.scenario = argv[++i];
    } else if (word == "--frame") {
      const std::string_view value = argv[++i];
      const std::optional<std::uint64_t> ms = harness::parseNumber(value, 1, kLongestFrameMs);
      if (!ms) return wrong(harness::numberError("--frame", value, 1, kLongestFrameMs));
      options.frameMs = static_cast<DWORD>(*ms);
    } else if (word.starts_with("-")) {
      return wrong("unknown option " + harness::quoted(word));
    } else if (!options.module.empty()) {
      return wrong("one module only, not " + harness::quoted(options.module) + " and " +
                   harness::quoted(word));
    } else {
      options.module = word;
    }
  }
  return parsed;
}

// A bare file name would have the loader search its folders (the program's own
// first); the module named is a file relative to the working folder.
std::string asPath(std::string module) {
  return module.find_first_of("/\\:") == std::string::npos ? "./" + module : module;
}

// Opens `path` for writing when one is given; why not, when it cannot be.
std::string openOutput(const std::string& path, std::ofstream& file) {
  if (path.empty()) return {};
  errno = 0;
  file.open(path, std::ios::binary | std::ios::trunc);
  if (file.is_open()) return {};
  return "cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
}

}  // namespace

int main(int argc, char** argv) {
  const Parsed parsed = parse(argc, argv);
  if (!parsed.error.empty()) return fail(parsed.error, kUsageError);
  const Options& options = parsed.options;
  if (options.help) {
    show(std::string(kUsage), false);
    return 0;
  }
  // The module named on the command line, else by the environment.
  harness::PluginFileResult plugin = harness::pluginFileFromEnvironment(kDefaultModule);
  if (!plugin.error.empty()) return fail(plugin.error);
  if (!options.module.empty()) plugin.file.path = options.module;
  plugin.file.path = asPath(plugin.file.path);
  const std::string& module = plugin.file.path;
  // The loader says only "access denied" of a folder.
  const DWORD attributes = GetFileAttributesA(module.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return fail(module + " is a folder, not a module");
  }
  std::ofstream trace;
  std::ofstream scenario;
  for (const auto& [path, file] :
       {std::pair{&options.trace, &trace}, {&options.scenario, &scenario}}) {
    if (const std::string error = openOutput(*path, *file); !error.empty()) return fail(error);
  }

  // The sandbox shows why a load failed itself, in one message.
  harness::setLoadErrorsPrinted(false);
  sandbox::Display display;
  sandbox::Session session(plugin.file, display, trace.is_open() ? &trace : nullptr,
                           scenario.is_open() ? &scenario : nullptr);
  if (!session.error().empty()) {
    session.finish();
    return fail(session.error());
  }
  const std::string windowError = sandbox::runWindow(session, display, options.frameMs);
  if (!session.finish()) return fail("cannot write the trace or the scenario");
  return windowError.empty() ? 0 : fail(windowError);
}
