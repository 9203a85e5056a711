// Expect lines as a replay checks them, through the plugin itself: which pass is
// named, what it is said to have called, and that the replay goes on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "harness/runner.h"
#include "harness/scenario.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

struct Replayed {
  std::vector<std::string> unmet;
  std::string trace;
  std::string error;
};

Replayed replay(std::string_view scenario) {
  harness::ScenarioReader reader(harness::bytesOf(scenario));
  std::ostringstream trace;
  Replayed replayed;
  EXPECT_TRUE(harness::replayScenario(reader, kLinkedPlugin, trace, [&](const std::string& what) {
    replayed.unmet.push_back(what);
  }));
  replayed.trace = trace.str();
  replayed.error = reader.error();
  return replayed;
}

TEST(ExpectationTest, NamesTheLineWhatItExpectsAndWhatThePassCalled) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"release follow-up-key\npass\nexpect stealth, follow-up\npass\nexpect nothing\n", {}},
      {"release FOLLOW-UP-KEY\npass\nEXPECT Stealth ,FOLLOW-UP  # any case\n", {}},
      // Order counts, and so does every native.
      {"release follow-up-key\npass\nexpect follow-up, stealth\n",
       {"line 3: expect follow-up, stealth: pass 1 called subject, stealth, follow-up"}},
      {"release follow-up-key\npass\n\n# between\nexpect stealth, follow-up, hold\n",
       {"line 5: expect stealth, follow-up, hold: pass 1 called subject, stealth, follow-up"}},
      {"release stealth-key\npass\nexpect nothing\n",
       {"line 3: expect nothing: pass 1 called subject, stealth"}},
      // Every pass of the line: the first that did otherwise is named.
      {"release stealth-key\npass 3\nexpect stealth\n",
       {"line 3: expect stealth: pass 2 called subject"}},
      {"release stealth-key\npass 3\nexpect nothing\n",
       {"line 3: expect nothing: pass 1 called subject, stealth"}},
      {"press hold-key\npass 1000\nexpect hold\n", {}},
      // A pass with no script to run meets no expectation, not even nothing.
      {"unload\npass\nexpect nothing\n", {"line 3: expect nothing: pass 1 ran no script"}},
      // Passes are numbered through the run, as the trace numbers them.
      {"pass\nrelease stealth-key\npass\nexpect nothing\n"
       "release stealth-key\npass\nexpect hold\npass\nexpect nothing\n",
       {"line 4: expect nothing: pass 2 called subject, stealth",
        "line 7: expect hold: pass 3 called subject, stealth"}},
  };
  for (const auto& [scenario, unmet] : cases) {
    const Replayed replayed = replay(scenario);
    EXPECT_EQ(replayed.error, "") << scenario;
    EXPECT_EQ(replayed.unmet, unmet) << scenario;
  }
}

TEST(ExpectationTest, AnUnmetOneDoesNotStopTheReplay) {
  const Replayed replayed =
      replay("release stealth-key\npass\nexpect hold\nrelease follow-up-key\npass\n");
  EXPECT_EQ(replayed.unmet.size(), 1u);
  EXPECT_NE(replayed.trace.find("pass 2 at tick 0, 3 tick reads\n  subject -> 0\n  stealth"),
            std::string::npos)
      << replayed.trace;
  EXPECT_TRUE(
      replayed.trace.ends_with("unload\n  script unregistered: the module registered\n"
                               "  keystroke handler unregistered: the one registered\n"))
      << replayed.trace;
}

TEST(ExpectationTest, OneBeforeAFaultyLineIsStillChecked) {
  const Replayed replayed = replay("release stealth-key\npass\nexpect nothing\ntick 12ms\npass\n");
  EXPECT_EQ(replayed.error.substr(0, 20), "line 4: bad tick '12");
  EXPECT_EQ(replayed.unmet,
            std::vector<std::string>{"line 3: expect nothing: pass 1 called subject, stealth"});
}

}  // namespace
}  // namespace keyrelay_test
