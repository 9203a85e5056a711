// libFuzzer target: each input is a timeline, made by the random tests' generator
// with its choices taken from the input's bytes, run through the plugin and
// checked against the model. A difference prints the shortest failing prefix as a
// scenario and aborts, which libFuzzer reports as a crash with its input saved.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/model/generator.h"
#include "tests/model/plugin_runner.h"

namespace {

constexpr std::size_t kMaxFuzzedSteps = 256;

class FuzzedChoices : public keyrelay_model::Choices {
 public:
  FuzzedChoices(const std::uint8_t* bytes, std::size_t size) : data_(bytes, size) {}
  std::uint64_t next() override { return data_.ConsumeIntegral<std::uint64_t>(); }
  std::uint64_t below(std::uint64_t n) override {
    return data_.ConsumeIntegralInRange<std::uint64_t>(0, n - 1);
  }
  bool exhausted() override { return data_.remaining_bytes() == 0; }

 private:
  FuzzedDataProvider data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  // One plugin load for the whole run; each timeline starts from an empty table.
  // The plugin is linked in: no file is read.
  static keyrelay_model::PluginRunner& runner =
      *new keyrelay_model::PluginRunner(harness::PluginFile{});
  FuzzedChoices choices(bytes, size);
  const harness::Timeline timeline = keyrelay_model::generateTimeline(choices, kMaxFuzzedSteps);
  if (runner.mismatch(timeline)) {
    std::fputs(keyrelay_model::failureReport(runner, "fuzzer input", timeline).c_str(), stderr);
    std::abort();
  }
  return 0;
}
