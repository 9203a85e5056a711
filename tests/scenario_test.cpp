// Reading scenarios. What a replay prints is pinned by the expect lines in the
// scenarios in tests/scenarios/ and by the whole traces beside some of them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness/scenario.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"

namespace keyrelay_test {
namespace {

using harness::parseScenario;

std::string errorOf(std::string_view text) { return parseScenario(text).error; }

TEST(ScenarioTest, ReadsEveryWordWithCommentsBlankLinesAndAnyCase) {
  const harness::ParseResult r = parseScenario(
      "# a comment\n\n  TICK 0xFFFFFFC0  # trailing\r\nadvance 80\nsubject -1\n"
      "release Stealth-Key context=1 previous=-1 transition=0x80000000 repeat=3 scan=0x2D "
      "extended=1\npress HOLD-KEY\npress 0x1FF\npass\npass 3 every 16\nload\nunload\nthread\n");
  ASSERT_EQ(r.error, "");
  // Written back with every field spelled out.
  EXPECT_EQ(harness::scenarioText(r.timeline),
            "tick 4294967232\nadvance 80\nsubject -1\n"
            "release stealth-key repeat=3 scan=45 extended=1 context=1 previous=-1 "
            "transition=-2147483648\n"
            "press hold-key repeat=1 scan=0 extended=0 context=0 previous=0 transition=0\n"
            "press 0x1FF repeat=1 scan=0 extended=0 context=0 previous=0 transition=0\n"
            "pass\npass 3 every 16\nload\nunload\nthread\n");
}

TEST(ScenarioTest, AcceptsTheLimitsOfEachNumber) {
  EXPECT_EQ(errorOf("tick 4294967295\nsubject -2147483648\nsubject 0xFFFFFFFF\n"
                    "press 0xFFFFFFFF repeat=65535 scan=255 context=-2147483648\n"),
            "");
}

// A name stands for the plugin's constant, plus or minus a number. A key is shown
// as a scenario reads it back: a binding's by its name, a code above 255 whose low
// byte is a binding's key as that name and the difference.
TEST(ScenarioTest, NamesAreThePluginsKeysAndWindows) {
  const harness::ParseResult r =
      parseScenario("tick held-ms\nadvance just-released-ms-1\npass 1 every HELD-MS+1\n");
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(harness::scenarioText(r.timeline),
            "tick " + std::to_string(kHeldMs) + "\nadvance " + std::to_string(kJustReleasedMs - 1) +
                "\npass 1 every " + std::to_string(kHeldMs + 1) + "\n");
  for (const DWORD code : {kStealthKey, kFollowUpKey + 0x100, kHoldKey | 0xFFFFFF00, 0x0Au}) {
    const harness::Timeline t = parseScenario("press " + harness::keyLabel(code)).timeline;
    EXPECT_EQ(std::get<harness::Key>(t.steps.at(0)).keystroke.key, code) << code;
  }
  EXPECT_EQ(harness::keyLabel(kFollowUpKey + 0x100), "follow-up-key+0x100");
  EXPECT_EQ(harness::keyLabel(0x0A), "0x0A");
}

TEST(ScenarioTest, FaultsAreReportedWithTheirLineNumber) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"pass\njump 3\n", "line 2: unknown word 'jump'"},
      {"tick\n", "line 1: usage: tick N"},
      {"tick 1 2\n", "line 1: usage: tick N"},
      {"tick 4294967296\n", "line 1: bad tick '4294967296'"},
      {"tick -1\n", "line 1: bad tick '-1'"},
      {"tick 12ms\n", "line 1: bad tick '12ms'"},
      {"tick 0x\n", "line 1: bad tick '0x'"},
      {"\n\nadvance 0xZZ\n", "line 3: bad advance '0xZZ'"},
      {"subject 2147483648\n", ""},
      {"subject -2147483649\n", "line 1: bad subject '-2147483649'"},
      {"subject --1\n", "line 1: bad subject '--1'"},
      {"release\n", "line 1: usage: release KEY"},
      {"press Q\n",
       "line 1: bad key 'Q' (expected 0 to 4294967295, decimal or 0x hex, or "
       "stealth-key, follow-up-key or hold-key, alone or +N or -N)"},
      {"press X\n", "line 1: bad key 'X'"},
      {"press stealth-keys\n", "line 1: bad key 'stealth-keys'"},
      {"press hold-key+\n", "line 1: bad key 'hold-key+'"},
      {"press hold-key-0x1000\n", "line 1: bad key 'hold-key-0x1000'"},
      {"press hold-key+0xFFFFFFFF\n", "line 1: bad key 'hold-key+0xFFFFFFFF'"},
      {"tick held-ms-0x100000000\n",
       "line 1: bad tick 'held-ms-0x100000000' (expected 0 to "
       "4294967295, decimal or 0x hex, or just-released-ms or held-ms"},
      {"pass 2 every held-ms*2\n", "line 1: bad step 'held-ms*2'"},
      {"pass held-ms\n", "line 1: bad pass count 'held-ms'"},
      {"subject hold-key\n", "line 1: bad subject 'hold-key'"},
      {"press held-ms\n", "line 1: bad key 'held-ms'"},
      {"press stealth-key colour=1\n", "line 1: unknown field 'colour'"},
      {"press stealth-key context\n", "line 1: bad field 'context'"},
      {"press stealth-key context=\n", "line 1: bad field 'context='"},
      {"press stealth-key repeat=65536\n", "line 1: bad repeat '65536'"},
      {"press stealth-key scan=256\n", "line 1: bad scan '256'"},
      {"press stealth-key transition=4294967296\n", "line 1: bad transition '4294967296'"},
      {"pass 0\n", "line 1: bad pass count '0' (expected 1 to 1000000, decimal or 0x hex)"},
      {"pass 1000001\n", "line 1: bad pass count '1000001' (expected 1 to 1000000"},
      {"pass 2 every\n", "line 1: usage: pass [N [every MS]]"},
      {"pass 2 each 5\n", "line 1: usage: pass [N [every MS]]"},
      {"load now\n", "line 1: usage: load"},
      {"unload 1\n", "line 1: usage: unload"},
      {"thread 2\n", "line 1: usage: thread"},
      // A byte-order mark only where Windows Notepad writes one, before the first line.
      {"\xEF\xBB\xBFtick 1\n", ""},
      {"tick 1\n\xEF\xBB\xBFpass\n", "line 2: unknown word '\\xEF\\xBB\\xBFpass'"},
      // Bytes outside printable ASCII are shown escaped; a faulty word is quoted in part.
      {std::string("pass\0\n", 6), "line 1: unknown word 'pass\\x00'"},
      {"tick " + std::string(1000, '9') + "\n",
       "line 1: bad tick '" + std::string(40, '9') + "'... (expected"},
      // A quote or a backslash in a faulty word is escaped too: the message reads one way.
      {"press 'X\\\n", "line 1: bad key '\\x27X\\x5C'"},
      // Decimal or 0x hex and nothing else: no sign, no spaces, no octal.
      {"tick 010\ntick 0X1f\n", ""},
      {"tick +1\n", "line 1: bad tick '+1' (expected 0 to 4294967295, decimal or 0x hex, or"},
      {"tick 0x-1\n", "line 1: bad tick '0x-1'"},
      {"subject 4294967296\n", "line 1: bad subject '4294967296' (expected -2147483648 to"},
      // A line ends at a line feed, a carriage return and line feed, or a lone
      // carriage return; a line may be 4096 bytes long.
      {"tick 1\rtick x\r", "line 2: bad tick 'x'"},
      {"tick 1\r\n\r\ntick x\r\n", "line 3: bad tick 'x'"},
      {"#" + std::string(4095, ' ') + "\npass\n", ""},
      {"pass\n#" + std::string(4096, ' ') + "\n", "line 2: longer than 4096 bytes"},
      // An expect line follows its pass line, one at most, and names natives
      // after the subject with commas between, or nothing.
      {"pass\nexpect\n", "line 2: usage: expect NATIVE[, NATIVE ...] or expect nothing"},
      {"expect nothing\n", "line 1: expect without a pass line before it"},
      {"pass\ntick 1\nexpect nothing\n", "line 3: expect without a pass line before it"},
      {"pass\nload\nexpect nothing\n", "line 3: expect without a pass line before it"},
      {"pass\n# why\n\nexpect nothing\npass 2\nexpect hold\n", ""},
      {"pass 2\nexpect nothing\n\nexpect nothing\n",
       "line 4: a second expect line for the pass on line 1"},
      {"pass\nexpect jump\n",
       "line 2: unknown native 'jump' (expected stealth, follow-up or hold)"},
      {"pass\nexpect stealth, 0x89F5E7ADECCCB49C\n", "line 2: unknown native '0x89F5E7ADECCCB49C'"},
      {"pass\nexpect subject\n", "line 2: expect lists the natives after the subject"},
      {"pass\nexpect subject, stealth\n", "line 2: expect lists the natives after the subject"},
      {"pass\nexpect nothing, stealth\n",
       "line 2: unknown native 'nothing' (nothing stands alone)"},
      {"pass\nexpect nothing nothing\n", "line 2: bad expectation 'nothing nothing' (expected"},
      {"pass\nexpect stealth follow-up\n", "line 2: bad expectation 'stealth follow-up'"},
      {"pass\nexpect stealth,\n", "line 2: bad expectation 'stealth,'"},
      {"pass\nexpect ,hold\n", "line 2: bad expectation ',hold'"},
      {"pass\nexpect stealth,,hold\n", "line 2: bad expectation 'stealth,,hold'"},
      {"pass\nexpect stealth, follow-up,hold # all three\n", ""},
  };
  for (const auto& [text, expected] : cases) {
    const std::string error = errorOf(text);
    EXPECT_LT(error.size(), 200u) << text.substr(0, 50);
    if (expected.empty()) {
      EXPECT_EQ(error, "") << text;
    } else {
      EXPECT_EQ(error.substr(0, expected.size()), expected) << text;
    }
  }
}

TEST(ScenarioTest, ReadsEachExpectationWithItsLineAndNativesInOrder) {
  const harness::ParseResult r = parseScenario(
      "pass\n# why\n\nEXPECT Stealth , FOLLOW-UP\npass 2\nexpect nothing\ntick 5\npass\n"
      "expect hold,stealth");
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.expectations.size(), 3u);
  EXPECT_EQ(r.expectations[0].line, 4u);
  EXPECT_EQ(r.expectations[0].natives, (std::vector{kStealthNative, kFollowUpNative}));
  EXPECT_EQ(r.expectations[1].line, 6u);
  EXPECT_TRUE(r.expectations[1].natives.empty());
  EXPECT_EQ(r.expectations[2].line, 9u);
  EXPECT_EQ(r.expectations[2].natives, (std::vector{kHoldNative, kStealthNative}));
  // Expectations are not steps: the timeline is the passes and the tick alone.
  EXPECT_EQ(harness::scenarioText(r.timeline), "pass\npass 2\ntick 5\npass\n");
}

TEST(ScenarioTest, AFaultLeavesNoStepsBehind) {
  EXPECT_TRUE(parseScenario("pass\npass\nbogus\n").timeline.steps.empty());
}

}  // namespace
}  // namespace keyrelay_test
