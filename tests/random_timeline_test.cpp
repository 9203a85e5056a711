// Seeded random timelines through the plugin, checked call for call against the
// model. KEYRELAY_TIMELINES sets how many (a soak: millions), KEYRELAY_SEED the
// first seed; a failure names the seed of the timeline that failed.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/model/generator.h"
#include "tests/model/model.h"
#include "tests/model/plugin_runner.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using keyrelay_model::randomTimeline;
using keyrelay_model::Tally;
using keyrelay_model::Timeline;

using keyrelay_model::kDefaultSeed;

constexpr std::uint64_t kDefaultTimelines = 100'000;

TEST(RandomTimelineTest, ThePluginMakesTheModelsHostCallsOnEveryTimeline) {
  EXPECT_EQ(keyrelay_model::runRandomTimelines(kDefaultTimelines, kLinkedPlugin), 0);
}

// A random test proves only what its timelines reach.
TEST(RandomTimelineTest, TheTimelinesReachEveryBindingWindowEdgeAndWrap) {
  // What the model saw acting, at least.
  struct Least {
    const char* name;
    std::uint64_t Tally::* field;
    std::uint64_t count;
  };
  const Least least[] = {{"stealth", &Tally::stealthActs, 1000},
                         {"follow-up", &Tally::followUpActs, 1000},
                         {"hold", &Tally::holdActs, 1000},
                         {"all three", &Tally::allThreeActs, 10},
                         {"across the wrap", &Tally::actsAcrossWrap, 10},
                         {"on tick 0", &Tally::actsOnTickZero, 0},
                         {"late releases", &Tally::lateReleases, 1000},
                         {"bad keys", &Tally::badKeys, 1000},
                         {"advances past 2^32", &Tally::advancesPastWrap, 1000},
                         {"negative subject", &Tally::negativeSubjectActs, 1000}};
  Tally total;
  for (std::uint64_t seed = kDefaultSeed; seed < kDefaultSeed + 20'000; ++seed) {
    Tally t;
    keyrelay_model::expectedTrace(randomTimeline(seed), &t);
    for (const Least& l : least) total.*l.field += t.*l.field;
  }
  for (const Least& l : least) EXPECT_GT(total.*l.field, l.count) << l.name;
}

}  // namespace
}  // namespace keyrelay_test
