// The check of a scenario's expect lines (scenario.h) that every replay makes:
// what each pass called, checked against what the line says it must.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "harness/runner.h"
#include "harness/scenario.h"
#include "host/host.h"

namespace harness {

// The native an expect line may name ("stealth", "follow-up", "hold"); none for
// any other word, the subject's name too.
std::optional<NativeHash> expectableNative(std::string_view name);

// What one pass called, as an expectation reads it: whether it ran the script,
// and its natives as the trace names them ("subject", "native 0x...", with
// " (begun, never called)" for one that was not called).
struct PassNatives {
  bool ranScript = false;
  std::vector<std::string> names = {};

  friend bool operator==(const PassNatives&, const PassNatives&) = default;
};
PassNatives passNatives(const Runner& runner, const AppliedStep& pass);

// The passes of one pass line, kept in as little as an expectation needs,
// however many passes there are: the first, and the first that called otherwise.
class PassLineSummary {
 public:
  // A new pass line: its passes follow.
  void clear();
  void add(std::uint64_t pass, PassNatives natives);
  // Empty when every pass of the line ran the script and called the subject and
  // then what `expectation` lists; else "line N: expect ...: pass P called ...",
  // about the first pass that did otherwise.
  std::string unmet(const Expectation& expectation) const;

 private:
  struct Seen {
    std::uint64_t pass = 0;
    PassNatives natives;
  };
  std::optional<Seen> first_;
  std::optional<Seen> other_;
};

}  // namespace harness
