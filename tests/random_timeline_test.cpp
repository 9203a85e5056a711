// Seeded random timelines through the plugin, held call for call against the
// model. KEYRELAY_TIMELINES sets how many (a soak: millions), KEYRELAY_SEED the
// first seed; a failure names the seed of the timeline that failed.
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

#include "tests/model/generator.h"
#include "tests/model/model.h"
#include "tests/model/plugin_runner.h"

namespace keyrelay_test {
namespace {

using keyrelay_model::PluginRunner;
using keyrelay_model::randomTimeline;
using keyrelay_model::Tally;
using keyrelay_model::Timeline;

using keyrelay_model::kDefaultSeed;

constexpr std::uint64_t kDefaultTimelines = 100'000;

TEST(RandomTimelineTest, ThePluginMakesTheModelsHostCallsOnEveryTimeline) {
  std::uint64_t count = kDefaultTimelines;
  std::uint64_t firstSeed = kDefaultSeed;
  ASSERT_TRUE(keyrelay_model::numberFromEnvironment("KEYRELAY_TIMELINES", count));
  ASSERT_TRUE(keyrelay_model::numberFromEnvironment("KEYRELAY_SEED", firstSeed));
  PluginRunner runner;
  std::uint64_t steps = 0;
  const std::optional<std::string> failure =
      keyrelay_model::runRandomTimelines(runner, firstSeed, count, steps);
  ASSERT_FALSE(failure.has_value()) << *failure;
  std::cout << count << " timelines, " << steps << " steps, seeds from " << firstSeed << "\n";
}

// A random test proves only what its timelines reach.
TEST(RandomTimelineTest, TheTimelinesReachEveryBindingWindowEdgeAndWrap) {
  Tally total;
  for (std::uint64_t seed = kDefaultSeed; seed < kDefaultSeed + 20'000; ++seed) {
    Tally t;
    keyrelay_model::expectedTrace(randomTimeline(seed), &t);
    total.passes += t.passes;
    total.stealthActs += t.stealthActs;
    total.followUpActs += t.followUpActs;
    total.holdActs += t.holdActs;
    total.allThreeActs += t.allThreeActs;
    total.actsAcrossWrap += t.actsAcrossWrap;
    total.actsOnTickZero += t.actsOnTickZero;
    total.lateReleases += t.lateReleases;
    total.badKeys += t.badKeys;
    total.advancesPastWrap += t.advancesPastWrap;
    total.negativeSubjectActs += t.negativeSubjectActs;
  }
  EXPECT_GT(total.stealthActs, 1000u);
  EXPECT_GT(total.followUpActs, 1000u);
  EXPECT_GT(total.holdActs, 1000u);
  EXPECT_GT(total.allThreeActs, 10u);
  EXPECT_GT(total.actsAcrossWrap, 10u);
  EXPECT_GT(total.actsOnTickZero, 0u);
  EXPECT_GT(total.lateReleases, 1000u);
  EXPECT_GT(total.badKeys, 1000u);
  EXPECT_GT(total.advancesPastWrap, 1000u);
  EXPECT_GT(total.negativeSubjectActs, 1000u);
}

}  // namespace
}  // namespace keyrelay_test
