// The trace of a run: a line for each happening, and under it the host calls it
// made: natives by name, with their argument slots in hexadecimal and text
// arguments as text; registrations; a hand-back that asks for more than 0 ms.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/host.h"
#include "tools/replay/runner.h"

namespace replay {

// Turns a runner's happenings into trace lines, in as many calls as the caller
// likes; it keeps what was registered from one call to the next.
class TracePrinter {
 public:
  // The lines of runner.happenings()[from] onwards. Text arguments are read where
  // the plugin keeps them: print before the module that made a call is unloaded.
  std::string print(const Runner& runner, std::size_t from);

 private:
  void printCalls(const Runner& runner, const Happening& happening);
  void line(const std::string& text);
  void flushNative();
  std::string nativeLabel() const;
  void printNative(UINT64 result);

  std::string out_;
  bool pending_ = false;  // a native begun and not yet called
  NativeHash hash_ = 0;
  std::vector<UINT64> slots_;
  UINT64 loadedModule_ = 0;
  UINT64 registeredModule_ = 0;
  UINT64 registeredHandler_ = 0;
};

// Whether a native's argument slot `index` (from 0) holds the address of a text:
// only the stealth native's second slot does.
bool isTextArgument(NativeHash hash, std::size_t index);
// That text quoted as the trace shows it, "(null)" for a null address; at most 64
// characters, the rest as "...", and what is not printable ASCII as \xNN. Read
// where the plugin keeps it: only while the module that made the call is loaded.
std::string quotedText(UINT64 slot);

// The name of a native the plugin calls: "subject", "stealth", "follow-up" or
// "hold"; empty for any other hash.
std::string_view nativeName(NativeHash hash);

// Replays the timeline from a fresh process: the plugin loaded, the steps in
// order, the plugin unloaded if it is still loaded.
struct Replay {
  std::string trace;
  bool loadFailed = false;  // some load of the plugin failed; the trace says which
};
Replay replayScenario(const Timeline& timeline);

}  // namespace replay
