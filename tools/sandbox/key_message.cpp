#include "tools/sandbox/key_message.h"

#include <limits>

namespace sandbox {
namespace {

// Where the fields lie in lParam.
enum LParamBit : int {
  kScanCodeShift = 16,
  kExtendedBit = 24,
  kContextCodeBit = 29,
  kPreviousStateBit = 30,
  kTransitionStateBit = 31,
};

BOOL bit(std::uint32_t fields, int index) { return static_cast<BOOL>((fields >> index) & 1u); }

}  // namespace

standin::Keystroke decodeKeyMessage(std::uint64_t wParam, std::int64_t lParam) {
  constexpr std::uint64_t kNoKey = std::numeric_limits<DWORD>::max();
  const auto fields = static_cast<std::uint32_t>(static_cast<std::uint64_t>(lParam));
  return standin::Keystroke{
      .key = static_cast<DWORD>(wParam > kNoKey ? kNoKey : wParam),
      .repeatCount = static_cast<WORD>(fields & 0xFFFFu),
      .scanCode = static_cast<BYTE>((fields >> kScanCodeShift) & 0xFFu),
      .extended = bit(fields, kExtendedBit),
      .contextCode = bit(fields, kContextCodeBit),
      .previousState = bit(fields, kPreviousStateBit),
      .transitionState = bit(fields, kTransitionStateBit),
  };
}

}  // namespace sandbox
