// The tools behind the random timelines: the one bend for the 32-bit tick, the
// failure report, and the scenario text it prints.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tests/model/generator.h"
#include "tests/model/model.h"
#include "tests/model/plugin_runner.h"
#include "tests/model/unambiguous.h"
#include "tools/replay/scenario.h"
#include "tools/replay/trace.h"

namespace keyrelay_test {
namespace {

using namespace keyrelay_model;

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;
constexpr DWORD kX = 0x58;
constexpr DWORD kCtrl = 0x11;

// Ctrl pressed, then left alone for exactly 2^32 ms: the plugin's tick is back
// where it was, and it holds.
Timeline ctrlLeftForOneWrap() {
  return Timeline{1000, {keystrokeStep(standin::press(kCtrl)), advanceStep(kWrap), passStep()}};
}

TEST(UnambiguousTimelineTest, ThePluginAloneTakesAnEventLeftForExactly2To32MsAsNew) {
  PluginRunner runner;
  const std::optional<std::string> mismatch = runner.mismatch(ctrlLeftForOneWrap());
  ASSERT_TRUE(mismatch.has_value()) << "the accepted limit of the 32-bit tick is gone";
  EXPECT_NE(mismatch->find("nativeInit 0x58F7DB5BD8FA2288"), std::string::npos) << *mismatch;
}

TEST(UnambiguousTimelineTest, MovesThePassJustPastTheRevivedWindowAndNoFurther) {
  const Timeline bent = unambiguous(ctrlLeftForOneWrap());
  ASSERT_EQ(bent.steps.size(), 4u);
  EXPECT_EQ(bent.steps[2], advanceStep(5000));
  EXPECT_EQ(bent.steps[3], passStep());
  PluginRunner runner;
  EXPECT_EQ(runner.mismatch(bent), std::nullopt);
}

TEST(UnambiguousTimelineTest, LeavesAgesThe32BitTickTellsApartAlone) {
  for (std::uint64_t age : {kWrap - 1, kWrap + 5000, 2 * kWrap + 5000}) {
    const Timeline t{0xFFFFFFF0,
                     {keystrokeStep(standin::press(kCtrl)), keystrokeStep(standin::release(kX)),
                      advanceStep(age), passStep()}};
    EXPECT_EQ(unambiguous(t).steps, t.steps) << age;
  }
  // A release already acted on, and a released Ctrl, are never judged again.
  const Timeline acted{0,
                       {keystrokeStep(standin::release(kX)), passStep(),
                        keystrokeStep(standin::release(kCtrl)), advanceStep(kWrap), passStep()}};
  EXPECT_EQ(unambiguous(acted).steps, acted.steps);
}

TEST(UnambiguousTimelineTest, AReleaseInItsRevivedWindowWaitsOnlyForThatWindow) {
  const Timeline t{5,
                   {keystrokeStep(standin::release(kX)), advanceStep(2 * kWrap + 30), passStep()}};
  EXPECT_EQ(unambiguous(t).steps[2], advanceStep(70));
}

TEST(FailureReportTest, GivesTheShortestFailingPrefixAsAScenarioThatReplaysTheFault) {
  Timeline t = ctrlLeftForOneWrap();
  t.steps.insert(t.steps.begin(), {subjectStep(-3), passStep()});
  t.steps.insert(t.steps.end(), {keystrokeStep(standin::release(kX)), passStep(), passStep()});
  std::string report;
  {
    PluginRunner runner;  // gone before the replay, which loads the plugin afresh
    report = failureReport(runner, "seed 42", t);
  }
  EXPECT_NE(report.find("seed 42: the plugin departs from the model after 5 of 8 steps"),
            std::string::npos)
      << report;
  const std::string scenario = report.substr(report.find("tick 1000\n"));
  EXPECT_EQ(scenario,
            "tick 1000\nsubject -3\npass\n"
            "press CTRL repeat=1 scan=0 extended=0 context=0 previous=0 transition=0\n"
            "advance 4294967295\nadvance 1\npass\n");
  const replay::ParseResult parsed = replay::parseScenario(scenario);
  ASSERT_EQ(parsed.error, "");
  EXPECT_NE(replay::replayScenario(parsed.scenario).trace.find("  hold 0xFFFFFFFFFFFFFFFD"),
            std::string::npos);
}

TEST(FailureReportTest, TheShortestPrefixIsFoundEvenWhenALongerOneAgrees) {
  const Timeline t{0, std::vector<Step>(6, passStep())};
  // Fails at lengths 2 and 5 only.
  EXPECT_EQ(shortestFailingPrefix(
                t, [](const Timeline& p) { return p.steps.size() == 2 || p.steps.size() == 5; }),
            2u);
}

// Back from the replay tool's steps to a timeline, advances merged.
Timeline fromScenario(const replay::Scenario& scenario) {
  Timeline t;
  for (const replay::Step& step : scenario.steps) {
    if (const auto* tick = std::get_if<replay::SetTick>(&step)) {
      t.startTick = tick->ms;
    } else if (const auto* advance = std::get_if<replay::Advance>(&step)) {
      if (!t.steps.empty() && t.steps.back().kind == StepKind::kAdvance) {
        t.steps.back().ms += advance->ms;
      } else {
        t.steps.push_back(advanceStep(advance->ms));
      }
    } else if (const auto* subject = std::get_if<replay::SetSubject>(&step)) {
      t.steps.push_back(subjectStep(subject->subject));
    } else if (const auto* key = std::get_if<replay::Key>(&step)) {
      t.steps.push_back(keystrokeStep(key->keystroke));
    } else {
      const auto& passes = std::get<replay::Passes>(step);
      for (std::uint32_t i = 0; i < passes.count; ++i) t.steps.push_back(passStep());
    }
  }
  return t;
}

// Merged the same way, so that two advances in a row compare as one.
Timeline advancesMerged(const Timeline& timeline) {
  Timeline t{timeline.startTick, {}};
  for (const Step& step : timeline.steps) {
    if (step.kind == StepKind::kAdvance && !t.steps.empty() &&
        t.steps.back().kind == StepKind::kAdvance) {
      t.steps.back().ms += step.ms;
    } else {
      t.steps.push_back(step);
    }
  }
  return t;
}

TEST(ScenarioTextTest, ReadsBackAsTheSameTimelineForEveryKindOfStep) {
  for (std::uint64_t seed = 1; seed <= 2000; ++seed) {
    const Timeline t = advancesMerged(randomTimeline(seed));
    const replay::ParseResult parsed = replay::parseScenario(scenarioText(t));
    ASSERT_EQ(parsed.error, "") << "seed " << seed;
    const Timeline back = fromScenario(parsed.scenario);
    ASSERT_EQ(back.startTick, t.startTick) << "seed " << seed;
    ASSERT_EQ(back.steps, t.steps) << "seed " << seed << "\n" << scenarioText(t);
  }
}

}  // namespace
}  // namespace keyrelay_test
