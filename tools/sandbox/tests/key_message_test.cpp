// The sandbox's decoding of keyboard messages, against messages as Windows and
// Wine send them.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "harness/scenario.h"
#include "tools/sandbox/key_message.h"

namespace standin {

// A failing case shows the keystroke as a scenario line, every field named.
void PrintTo(const Keystroke& keystroke, std::ostream* os) {
  *os << harness::keystrokeText(keystroke, harness::KeyStyle::kTrace);
}

}  // namespace standin

namespace sandbox {
namespace {

struct Case {
  const char* what;
  std::uint64_t wParam;
  std::uint64_t lParamBits;
  standin::Keystroke expected;
};

TEST(KeyMessageTest, DecodesEachFieldWhereWindowsPutsIt) {
  const std::vector<Case> cases = {
      {"X pressed", 0x58, 0x002D0001, {0x58, 1, 0x2D, 0, 0, 0, 0}},
      {"X repeated five times", 0x58, 0x402D0005, {0x58, 5, 0x2D, 0, 0, 1, 0}},
      {"X released", 0x58, 0xC02D0001, {0x58, 1, 0x2D, 0, 0, 1, 1}},
      {"X released while Alt is held", 0x58, 0xE02D0001, {0x58, 1, 0x2D, 0, 1, 1, 1}},
      {"Alt pressed", 0x12, 0x20380001, {0x12, 1, 0x38, 0, 1, 0, 0}},
      {"right Ctrl pressed", 0x11, 0x011D0001, {0x11, 1, 0x1D, 1, 0, 0, 0}},
      {"a release with no key down before", 0x43, 0x802E0001, {0x43, 1, 0x2E, 0, 0, 0, 1}},
      {"the reserved bits 25-28 ignored", 0x43, 0x1E2E0001, {0x43, 1, 0x2E, 0, 0, 0, 0}},
      {"every field at its largest", 0xFE, 0xFFFFFFFF, {0xFE, 0xFFFF, 0xFF, 1, 1, 1, 1}},
      {"lParam sign-extended to 64 bits", 0x58, 0xFFFFFFFFC02D0001, {0x58, 1, 0x2D, 0, 0, 1, 1}},
      {"a code past 32 bits names no key",
       0x100000058,
       0x002D0001,
       {0xFFFFFFFF, 1, 0x2D, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decodeKeyMessage(c.wParam, static_cast<std::int64_t>(c.lParamBits)), c.expected)
        << c.what;
  }
}

}  // namespace
}  // namespace sandbox
