// The display's judgement of a watched key's last event, against the plugin's
// rules: age limits of 100 ms for a release and 5000 ms for a hold, each edge on
// both sides, and the text a person reads for it.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "tools/sandbox/verdict.h"

namespace sandbox {
namespace {

constexpr DWORD kRelease = 100;
constexpr DWORD kHold = 5000;

EventTimes release(DWORD ageMs, DWORD nextPassInMs, std::optional<DWORD> firstPassAgeMs,
                   std::optional<DWORD> passGapMs = std::nullopt) {
  return {false, true, kRelease, ageMs, nextPassInMs, firstPassAgeMs, passGapMs};
}
EventTimes hold(DWORD ageMs, DWORD nextPassInMs, std::optional<DWORD> firstPassAgeMs,
                std::optional<DWORD> passGapMs = std::nullopt) {
  return {true, false, kHold, ageMs, nextPassInMs, firstPassAgeMs, passGapMs};
}

struct Case {
  const char* what;
  EventTimes event;
  Verdict verdict;
  const char* text;
};

TEST(VerdictTest, JudgesEachEventAsThePluginWould) {
  const std::vector<Case> cases = {
      {"a press of the stealth key waits for its release",
       {false, false, kRelease, 30, 5, 2, std::nullopt},
       Verdict::kActsOnRelease,
       "pressed: acts on its release"},
      {"a release of the hold key holds nothing",
       {true, true, kHold, 30, 5, std::nullopt, std::nullopt},
       Verdict::kNotHeld,
       "released: not held, nothing acts"},
      {"a release the next pass sees at 99 ms", release(50, 49, std::nullopt), Verdict::kWillAct,
       "will act: next pass at 99 ms, under 100 ms"},
      {"a release the next pass sees at 100 ms", release(50, 50, std::nullopt, 250),
       Verdict::kMissed, "missed: next pass at 100 ms, past 100 ms (a 250 ms frame)"},
      {"a release older than its age limit, the pass overdue", release(130, 0, std::nullopt),
       Verdict::kMissed, "missed: next pass at 130 ms, past 100 ms"},
      {"a release the first pass saw at 99 ms", release(300, 10, 99), Verdict::kActed,
       "acted: first pass at 99 ms, under 100 ms"},
      {"acted once: not again while still young", release(40, 16, 10), Verdict::kActed,
       "acted: first pass at 10 ms, under 100 ms"},
      {"a release the first pass saw at 100 ms", release(20, 200, 100, 251), Verdict::kMissed,
       "missed: first pass at 100 ms, past 100 ms (a 251 ms frame)"},
      {"a hold the next pass sees at 4999 ms", hold(4000, 999, 10), Verdict::kWillAct,
       "will act: next pass at 4999 ms, under 5000 ms"},
      {"a hold the next pass sees at 5000 ms, passes having acted", hold(4000, 1000, 10),
       Verdict::kActedAndPast, "acted while under 5000 ms; past it now"},
      {"a hold no pass saw under its age limit", hold(6000, 100, 5000, 10000), Verdict::kMissed,
       "missed: first pass at 5000 ms, past 5000 ms (a 10000 ms frame)"},
      {"a hold whose first pass is due too late", hold(10, 5000, std::nullopt, 10000),
       Verdict::kMissed, "missed: next pass at 5010 ms, past 5000 ms (a 10000 ms frame)"},
      {"a hold near 2^32 ms old does not wrap to young", hold(0xFFFFFFF0, 0x20, 10),
       Verdict::kActedAndPast, "acted while under 5000 ms; past it now"},
      {"an age near 2^32 ms does not wrap to young", release(0xFFFFFFF0, 0x20, std::nullopt),
       Verdict::kMissed, "missed: next pass at 4294967312 ms, past 100 ms"},
  };
  for (const Case& c : cases) {
    const Verdict verdict = judgeEvent(c.event);
    EXPECT_EQ(verdict, c.verdict) << c.what;
    EXPECT_EQ(verdictText(c.event, verdict), c.text) << c.what;
  }
}

// The display's column holds the longest text for times up to 99999 ms.
TEST(VerdictTest, EveryTextFitsItsColumn) {
  constexpr DWORD kLong = 99'999;
  const std::vector<EventTimes> longest = {
      release(kLong, kLong, std::nullopt, kLong),
      release(kLong, kLong, kLong, kLong),
      release(10, 10, std::nullopt),
      release(kLong, 0, 10),
      hold(10, 10, std::nullopt),
      hold(kLong, kLong, kLong, kLong),
      hold(kLong, kLong, 10),
      {false, false, kRelease, kLong, kLong, std::nullopt, std::nullopt},
      {true, true, kHold, kLong, kLong, std::nullopt, std::nullopt},
  };
  for (const EventTimes& event : longest) {
    const std::string text = verdictText(event, judgeEvent(event));
    EXPECT_LE(text.size(), kVerdictColumns) << text;
  }
}

}  // namespace
}  // namespace sandbox
