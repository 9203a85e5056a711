// The tools behind the random timelines: the one bend for the 32-bit tick, the
// failure report, and the scenario text it prints.
#include <gtest/gtest.h>

#include <cinttypes>
#include <sstream>
#include <string>

#include "harness/format.h"
#include "harness/runner.h"
#include "harness/scenario.h"
#include "tests/model/generator.h"
#include "tests/model/model.h"
#include "tests/model/plugin_runner.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using namespace harness;
// The model's own keys and windows stay out of scope: the plugin's are used here.
using keyrelay_model::failureReport;
using keyrelay_model::PluginRunner;
using keyrelay_model::randomTimeline;
using keyrelay_model::shortestFailingPrefix;
using keyrelay_model::unambiguous;

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

// The hold key pressed, then left alone for exactly 2^32 ms: the plugin's tick is back
// where it was, and it holds.
Timeline ctrlLeftForOneWrap() {
  return Timeline{{SetTick{1000}, Key{standin::press(kHoldKey)}, Advance{kWrap}, Passes{}}};
}

TEST(UnambiguousTimelineTest, ThePluginAloneTakesAnEventLeftForExactly2To32MsAsNew) {
  PluginRunner runner(kLinkedPlugin);
  const std::optional<std::string> mismatch = runner.mismatch(ctrlLeftForOneWrap());
  ASSERT_TRUE(mismatch.has_value()) << "the accepted limit of the 32-bit tick is gone";
  EXPECT_NE(mismatch->find(format("nativeInit 0x%016" PRIX64, kHoldNative)), std::string::npos)
      << *mismatch;
}

TEST(UnambiguousTimelineTest, MovesThePassJustPastTheRevivedWindowAndNoFurther) {
  const Timeline bent = unambiguous(ctrlLeftForOneWrap());
  ASSERT_EQ(bent.steps.size(), 5u);
  EXPECT_EQ(scenarioLines(bent.steps[3]), "advance " + std::to_string(kHeldMs) + "\n");
  EXPECT_EQ(scenarioLines(bent.steps[4]), "pass\n");
  PluginRunner runner(kLinkedPlugin);
  EXPECT_EQ(runner.mismatch(bent), std::nullopt);
}

TEST(UnambiguousTimelineTest, LeavesAgesThe32BitTickTellsApartAlone) {
  for (std::uint64_t age : {kWrap - 1, kWrap + kHeldMs, 2 * kWrap + kHeldMs}) {
    const Timeline t{{SetTick{0xFFFFFFF0}, Key{standin::press(kHoldKey)},
                      Key{standin::release(kStealthKey)}, Advance{age}, Passes{}}};
    EXPECT_EQ(scenarioText(unambiguous(t)), scenarioText(t)) << age;
  }
  // A release already acted on, and a released hold key, are never judged again.
  const Timeline acted{{Key{standin::release(kStealthKey)}, Passes{},
                        Key{standin::release(kHoldKey)}, Advance{kWrap}, Passes{}}};
  EXPECT_EQ(scenarioText(unambiguous(acted)), scenarioText(acted));
}

TEST(UnambiguousTimelineTest, AReleaseInItsRevivedWindowWaitsOnlyForThatWindow) {
  const Timeline t{
      {SetTick{5}, Key{standin::release(kStealthKey)}, Advance{2 * kWrap + 30}, Passes{}}};
  EXPECT_EQ(scenarioLines(unambiguous(t).steps[3]),
            "advance " + std::to_string(kJustReleasedMs - 30) + "\n");
}

TEST(FailureReportTest, GivesTheShortestFailingPrefixAsAScenarioThatReplaysTheFault) {
  Timeline t = ctrlLeftForOneWrap();
  t.steps.insert(t.steps.begin() + 1, {SetSubject{-3}, Passes{}});
  t.steps.insert(t.steps.end(), {Key{standin::release(kStealthKey)}, Passes{}, Passes{}});
  std::string report;
  {
    PluginRunner runner(kLinkedPlugin);  // gone before the replay, which loads the plugin afresh
    report = failureReport(runner, "seed 42", t);
  }
  EXPECT_NE(report.find("seed 42: the plugin departs from the model after 6 of 9 steps"),
            std::string::npos)
      << report;
  const std::string scenario = report.substr(report.find("tick 1000\n"));
  EXPECT_EQ(scenario,
            "tick 1000\nsubject -3\npass\n"
            "press hold-key repeat=1 scan=0 extended=0 context=0 previous=0 transition=0\n"
            "advance 4294967295\nadvance 1\npass\n");
  ScenarioReader reader(bytesOf(scenario));
  std::ostringstream trace;
  ASSERT_TRUE(replayScenario(reader, kLinkedPlugin, trace,
                             [](const std::string& what) { FAIL() << what; }));
  EXPECT_EQ(reader.error(), "");
  EXPECT_NE(trace.str().find("  hold 0xFFFFFFFFFFFFFFFD"), std::string::npos) << trace.str();
}

TEST(FailureReportTest, TheShortestPrefixIsFoundEvenWhenALongerOneAgrees) {
  const Timeline t{std::vector<Step>(6, Passes{})};
  // Fails at lengths 2 and 5 only.
  EXPECT_EQ(shortestFailingPrefix(
                t, [](const Timeline& p) { return p.steps.size() == 2 || p.steps.size() == 5; }),
            2u);
}

// Every field of every step is written out (see ScenarioTest for each word), so
// a timeline that reads back as the text it was written from is the same.
TEST(ScenarioTextTest, ReadsBackAsTheSameTimelineForEveryKindOfStep) {
  for (std::uint64_t seed = 1; seed <= 2000; ++seed) {
    const std::string text = scenarioText(randomTimeline(seed));
    const ParseResult parsed = parseScenario(text);
    ASSERT_EQ(parsed.error, "") << "seed " << seed;
    ASSERT_EQ(scenarioText(parsed.timeline), text) << "seed " << seed;
  }
  // The kinds the generator never makes.
  const std::string rest =
      "pass 3 every 16\npass 2\npass 1 every 4294967295\nload\nunload\nthread\n";
  EXPECT_EQ(scenarioText(parseScenario(rest).timeline), rest);
}

}  // namespace
}  // namespace keyrelay_test
