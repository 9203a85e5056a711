// The plugin's fixed values, each against its literal, written out here and
// nowhere else: the suites, the model and the traces all read the same constants,
// so a slip in one of them would pass everything else.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"

namespace keyrelay_test {
namespace {

struct Pinned {
  const char* name;
  std::uint64_t value;
  std::uint64_t literal;
};

TEST(LiteralValuesTest, HashesKeyCodesAndWindowsAreTheirLiterals) {
  const Pinned pinned[] = {
      {"kSubjectNative", kSubjectNative, 0x096275889B8E0EE0},
      {"kStealthNative", kStealthNative, 0x89F5E7ADECCCB49C},
      {"kFollowUpNative", kFollowUpNative, 0x4C3FA937B44A90FA},
      {"kHoldNative", kHoldNative, 0x58F7DB5BD8FA2288},
      {"kStealthKey", kStealthKey, 0x58},
      {"kFollowUpKey", kFollowUpKey, 0x43},
      {"kHoldKey", kHoldKey, 0x11},
      {"kJustReleasedMs", kJustReleasedMs, 100},
      {"kHeldMs", kHeldMs, 5000},
  };
  for (const Pinned& p : pinned) EXPECT_EQ(p.value, p.literal) << p.name;
}

TEST(LiteralValuesTest, TheTextIsStealthWithItsTerminatingNul) {
  EXPECT_EQ(std::string_view(kStealthText, sizeof kStealthText), std::string_view("stealth", 8));
}

}  // namespace
}  // namespace keyrelay_test
