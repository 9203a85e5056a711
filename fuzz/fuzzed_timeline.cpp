#include "fuzz/fuzzed_timeline.h"

#include <array>
#include <cstdint>

namespace keyrelay_fuzz {
namespace {

using keyrelay_model::Step;

DWORD keyFrom(FuzzedDataProvider& data) {
  // Mostly the bound keys and their neighbours; any code now and then.
  constexpr std::array<DWORD, 10> kKeys = {0x58, 0x43, 0x11,  0,     254,
                                           255,  256,  0x158, 0x143, 0xFFFFFFFF};
  if (data.ConsumeBool()) return data.PickValueInArray(kKeys);
  return data.ConsumeIntegral<DWORD>();
}

BOOL flagFrom(FuzzedDataProvider& data) {
  return data.ConsumeBool() ? static_cast<BOOL>(data.ConsumeIntegralInRange<int>(-1, 2))
                            : data.ConsumeIntegral<BOOL>();
}

std::uint64_t advanceFrom(FuzzedDataProvider& data) {
  constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;
  switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return data.ConsumeIntegralInRange<std::uint64_t>(0, 200);
    case 1:
      return data.ConsumeIntegralInRange<std::uint64_t>(0, 10'000);
    case 2:  // near a multiple of 2^32
      return kWrap * data.ConsumeIntegralInRange<std::uint64_t>(1, 3) - 10'000 +
             data.ConsumeIntegralInRange<std::uint64_t>(0, 20'000);
    default:
      return data.ConsumeIntegralInRange<std::uint64_t>(0, std::uint64_t{1} << 40);
  }
}

}  // namespace

keyrelay_model::Timeline timelineFrom(FuzzedDataProvider& data) {
  keyrelay_model::Timeline timeline{data.ConsumeIntegral<DWORD>(), {}};
  while (data.remaining_bytes() > 0 && timeline.steps.size() < kMaxFuzzedSteps) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
      case 0: {
        standin::Keystroke k;
        k.key = keyFrom(data);
        k.transitionState = flagFrom(data);
        k.previousState = flagFrom(data);
        k.contextCode = flagFrom(data);
        k.extended = flagFrom(data);
        k.repeatCount = data.ConsumeIntegral<WORD>();
        k.scanCode = data.ConsumeIntegral<BYTE>();
        timeline.steps.push_back(keyrelay_model::keystrokeStep(k));
        break;
      }
      case 1:
        timeline.steps.push_back(keyrelay_model::advanceStep(advanceFrom(data)));
        break;
      case 2:
        timeline.steps.push_back(
            keyrelay_model::subjectStep(data.ConsumeIntegral<SubjectHandle>()));
        break;
      default:
        timeline.steps.push_back(keyrelay_model::passStep());
        break;
    }
  }
  return timeline;
}

}  // namespace keyrelay_fuzz
