// keyrelay-timelines: the random timelines of the native tests, run through the
// shipped module as the Windows loader loads it, and held against the same model.
// KEYRELAY_TIMELINES sets how many, KEYRELAY_SEED the first seed; a failure prints
// the seed and the shortest failing prefix as a scenario for keyrelay-replay.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "standin/plugin_module.h"
#include "tests/model/generator.h"
#include "tests/model/plugin_runner.h"

namespace {

constexpr std::uint64_t kDefaultTimelines = 10'000;

}  // namespace

int main() {
  std::uint64_t count = kDefaultTimelines;
  std::uint64_t firstSeed = keyrelay_model::kDefaultSeed;
  if (!keyrelay_model::numberFromEnvironment("KEYRELAY_TIMELINES", count) ||
      !keyrelay_model::numberFromEnvironment("KEYRELAY_SEED", firstSeed)) {
    std::fputs("keyrelay-timelines: KEYRELAY_TIMELINES and KEYRELAY_SEED take a number\n", stderr);
    return 2;
  }
  keyrelay_model::PluginRunner runner;
  if (!standin::loadPlugin()) return 1;
  std::uint64_t steps = 0;
  const std::optional<std::string> failure =
      keyrelay_model::runRandomTimelines(runner, firstSeed, count, steps);
  if (failure) {
    std::fprintf(stderr, "%s", failure->c_str());
    return 1;
  }
  std::printf(
      "%llu timelines, %llu steps, seeds from %llu: the module made the model's host calls\n",
      static_cast<unsigned long long>(count), static_cast<unsigned long long>(steps),
      static_cast<unsigned long long>(firstSeed));
  return 0;
}
