// libFuzzer target: each input is a timeline, run through the plugin and held
// against the model. A difference prints the shortest failing prefix as a
// scenario and aborts, which libFuzzer reports as a crash with its input saved.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzzed_timeline.h"
#include "tests/model/plugin_runner.h"
#include "tests/model/unambiguous.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  // One plugin load for the whole run; each timeline starts from an empty table.
  static keyrelay_model::PluginRunner& runner = *new keyrelay_model::PluginRunner;
  FuzzedDataProvider data(bytes, size);
  const keyrelay_model::Timeline timeline =
      keyrelay_model::unambiguous(keyrelay_fuzz::timelineFrom(data));
  if (runner.mismatch(timeline)) {
    std::fputs(keyrelay_model::failureReport(runner, "fuzzer input", timeline).c_str(), stderr);
    std::abort();
  }
  return 0;
}
