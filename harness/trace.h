// The trace of a run: a line for each applied step, and under it the host calls it
// made: natives by name, with their argument slots in hexadecimal and text
// arguments as text; registrations; a hand-back that asks for more than 0 ms.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "harness/native_calls.h"
#include "harness/runner.h"
#include "host/host.h"

namespace harness {

// Turns a runner's applied steps into trace lines, in as many calls as the caller
// likes; it keeps what was registered from one call to the next.
class TracePrinter {
 public:
  // The lines of runner.appliedSteps(); the caller forgets them before the next.
  // Text arguments are read where the plugin keeps them: print before the module
  // that made a call is unloaded.
  std::string print(const Runner& runner);

 private:
  void printCalls(const Runner& runner, const AppliedStep& applied);
  void printOther(const standin::HostCall& call);
  void line(const std::string& text);

  std::string out_;
  UINT64 loadedModule_ = 0;
  UINT64 registeredModule_ = 0;
  UINT64 registeredHandler_ = 0;
};

// The name of a native the plugin calls: "subject", "stealth", "follow-up" or
// "hold"; empty for any other hash.
std::string_view nativeName(NativeHash hash);

// A native call as the trace shows it: its name (or "native 0xHASH"), its
// argument slots and the subject native's result ("stealth 0x0000000000000007,
// \"stealth\""). Text arguments are read where the plugin keeps them.
std::string nativeText(const NativeCall& native);
// A native as a trace names it, without its arguments: its name (or "native
// 0xHASH"), and " (begun, never called)" after one that was not called.
std::string nativeLabel(const NativeCall& native);
// Whether a native's argument slot `index` (from 0) holds the address of a text:
// only the stealth native's second slot does.
bool isTextArgument(NativeHash hash, std::size_t index);
// That text quoted as the trace shows it (harness/quote.h, in double quotes, at
// most 64 bytes), "(null)" for a null address. Read where the plugin keeps it,
// no more than 65 bytes of it: only while the module that made the call is loaded.
std::string quotedText(UINT64 slot);

}  // namespace harness
