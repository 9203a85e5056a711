// The one way texts are quoted, in messages and in traces.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "harness/quote.h"

namespace keyrelay_test {
namespace {

TEST(QuoteTest, EveryByteThatCouldBeMisreadIsEscapedAndALongTextIsCut) {
  struct Case {
    std::string text;
    char quote;
    std::size_t most;
    std::string shown;
  };
  const Case cases[] = {
      {"--bogus", '\'', 40, "'--bogus'"},
      {"stealth", '"', 64, "\"stealth\""},
      {"", '\'', 40, "''"},
      {std::string("a\0b\x7F\xC3\xA9", 6), '\'', 40, "'a\\x00b\\x7F\\xC3\\xA9'"},
      {"\t\n\x1F ~", '\'', 40, "'\\x09\\x0A\\x1F ~'"},
      // The quote in use and the backslash are escaped; the other quote is not.
      {"it's", '\'', 40, "'it\\x27s'"},
      {"it's", '"', 40, "\"it's\""},
      {"say \"hi\"", '"', 40, "\"say \\x22hi\\x22\""},
      {"a\\x41", '\'', 40, "'a\\x5Cx41'"},
      {"\\", '"', 40, "\"\\x5C\""},
      // Cut after `most` bytes, the cut shown after the closing quote.
      {std::string(40, 'x'), '\'', 40, "'" + std::string(40, 'x') + "'"},
      {std::string(41, 'x'), '\'', 40, "'" + std::string(40, 'x') + "'..."},
      {"ab\"cd", '"', 3, "\"ab\\x22\"..."},
      {"abc", '\'', 0, "''..."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(harness::quoted(c.text, c.quote, c.most), c.shown) << c.shown;
  }
}

TEST(QuoteTest, AMessageQuotesInSingleQuotesUpTo40Bytes) {
  EXPECT_EQ(harness::quoted(std::string(41, 'y')), "'" + std::string(40, 'y') + "'...");
}

}  // namespace
}  // namespace keyrelay_test
