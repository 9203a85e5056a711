// The one number parser of the tools: what it takes, what it refuses, and how it
// says so.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "harness/number.h"

namespace keyrelay_test {
namespace {

constexpr std::uint64_t kMost64 = UINT64_MAX;

TEST(NumberTest, TakesDecimalOrHexWithinTheRangeAndNothingElse) {
  struct Case {
    const char* text;
    std::uint64_t least, most;
    std::optional<std::uint64_t> value;
  };
  const Case cases[] = {
      {"0", 0, 10, 0},
      {"10", 0, 10, 10},
      {"010", 0, 10, 10},  // decimal, not octal
      {"0x1F", 0, 100, 31},
      {"0XfF", 0, 255, 255},
      {"18446744073709551615", 0, kMost64, kMost64},
      {"0xFFFFFFFFFFFFFFFF", 0, kMost64, kMost64},
      {"18446744073709551616", 0, kMost64, std::nullopt},  // past 64 bits
      {"11", 0, 10, std::nullopt},
      {"0", 1, 10, std::nullopt},
      {"", 0, 10, std::nullopt},
      {"0x", 0, 10, std::nullopt},
      {"-1", 0, 10, std::nullopt},
      {"+1", 0, 10, std::nullopt},
      {" 5", 0, 10, std::nullopt},
      {"5 ", 0, 10, std::nullopt},
      {"5ms", 0, 10, std::nullopt},
      {"0x0x1", 0, 10, std::nullopt},
      {"1e3", 0, 5000, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(harness::parseNumber(c.text, c.least, c.most), c.value) << "'" << c.text << "'";
  }
}

TEST(NumberTest, AVariableIsReadOrNamedWithItsValueInTheError) {
  EXPECT_EQ(harness::numberFromEnvironment("KEYRELAY_NUMBER_TEST_UNSET", 7, 1, 9).value, 7u);
  ::setenv("KEYRELAY_NUMBER_TEST", "", 1);
  EXPECT_EQ(harness::numberFromEnvironment("KEYRELAY_NUMBER_TEST", 7, 1, 9).value, 7u);
  ::setenv("KEYRELAY_NUMBER_TEST", "0x8", 1);
  EXPECT_EQ(harness::numberFromEnvironment("KEYRELAY_NUMBER_TEST", 7, 1, 9).value, 8u);
  ::setenv("KEYRELAY_NUMBER_TEST", " -1", 1);
  EXPECT_EQ(harness::numberFromEnvironment("KEYRELAY_NUMBER_TEST", 7, 1, 9).error,
            "bad KEYRELAY_NUMBER_TEST value ' -1' (expected 1 to 9, decimal or 0x hex)");
  ::unsetenv("KEYRELAY_NUMBER_TEST");
}

}  // namespace
}  // namespace keyrelay_test
