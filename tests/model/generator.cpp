#include "tests/model/generator.h"

#include <array>
#include <limits>

#include "tests/model/model.h"

namespace keyrelay_model {
namespace {

template <typename T, std::size_t N>
T pick(Choices& r, const std::array<T, N>& values) {
  return values[r.below(N)];
}

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

// A step of 2 ms before the end of the window `ms` to 1 ms after it, half the
// window, or `shortStep`.
std::uint64_t aroundTheEnd(Choices& r, std::uint64_t ms, std::uint64_t shortStep) {
  return pick(r, std::array<std::uint64_t, 6>{ms - 2, ms - 1, ms, ms + 1, ms / 2, shortStep});
}

DWORD randomKey(Choices& r) {
  const std::uint64_t kind = r.below(10);
  if (kind < 6) return std::array<DWORD, 3>{kStealthKey, kFollowUpKey, kHoldKey}[kind / 2];
  // Other keys the plugin keeps, the edges among them.
  if (kind == 6) return pick(r, std::array<DWORD, 4>{0, 254, 0x10, 0xA2});
  if (kind == 7) return static_cast<DWORD>(r.below(255));
  // Codes the plugin ignores, some of them a binding's key plus 256.
  if (kind == 8) {
    return pick(r, std::array<DWORD, 6>{255, 256, kStealthKey + 256, kFollowUpKey + 256,
                                        kHoldKey + 256, 0xFFFFFFFF});
  }
  return static_cast<DWORD>(255 + r.below(std::uint64_t{0xFFFFFFFF} - 255 + 1));
}

BOOL randomFlag(Choices& r) {
  const std::uint64_t kind = r.below(6);
  if (kind < 4) return static_cast<BOOL>(kind / 2);  // 0 or 1
  using Limits = std::numeric_limits<BOOL>;
  if (kind == 4) return pick(r, std::array<BOOL, 4>{-1, 2, Limits::min(), Limits::max()});
  return static_cast<BOOL>(static_cast<std::uint32_t>(r.next()));
}

standin::Keystroke randomKeystroke(Choices& r) {
  standin::Keystroke k;
  k.key = randomKey(r);
  k.repeatCount = static_cast<WORD>(r.below(4) == 0 ? r.next() : 1);  // mostly 1
  k.scanCode = static_cast<BYTE>(r.next());
  k.extended = randomFlag(r);
  k.contextCode = randomFlag(r);
  k.previousState = randomFlag(r);
  k.transitionState = randomFlag(r);
  return k;
}

// Mostly the short steps between frames, with the windows' edges and the long
// jumps often enough to matter.
std::uint64_t randomAdvance(Choices& r) {
  const std::uint64_t kind = r.below(12);
  if (kind == 0) return 0;
  if (kind <= 2) return 1 + r.below(40);
  if (kind == 3) return aroundTheEnd(r, kJustReleasedMs, 16);
  if (kind == 4) return aroundTheEnd(r, kHeldMs, 1000);
  if (kind == 5) return r.below(kHeldMs + 1000);
  if (kind == 6) return r.below(1u << 20);
  if (kind == 7) return r.below(kWrap);
  // Around 2^32 and its multiples.
  if (kind == 8) return kWrap * (1 + r.below(2)) - 6000 + r.below(12000);
  if (kind == 9)
    return pick(r, std::array<std::uint64_t, 4>{kWrap, kWrap - 1, kWrap + 1, 2 * kWrap});
  if (kind == 10) return r.below(std::uint64_t{1} << 36);
  return 1 + r.below(16);
}

SubjectHandle randomSubject(Choices& r) {
  using Limits = std::numeric_limits<SubjectHandle>;
  const std::uint64_t kind = r.below(4);
  if (kind == 0)
    return pick(r, std::array<SubjectHandle, 6>{0, 1, -1, 7, Limits::min(), Limits::max()});
  if (kind == 1) return static_cast<SubjectHandle>(r.below(1000));
  return static_cast<SubjectHandle>(static_cast<std::uint32_t>(r.next()));
}

DWORD randomStart(Choices& r) {
  const std::uint64_t kind = r.below(4);
  if (kind == 0) {
    return pick(r, std::array<DWORD, 4>{0, 1, static_cast<DWORD>(kJustReleasedMs - 1),
                                        static_cast<DWORD>(kHeldMs)});
  }
  // Just before the wrap.
  if (kind == 1) return static_cast<DWORD>(0xFFFFFFFFu - r.below(kHeldMs + 1000));
  return static_cast<DWORD>(r.next());
}

}  // namespace

harness::Timeline unambiguous(const harness::Timeline& timeline) {
  Timeline out;
  out.steps.reserve(timeline.steps.size());
  Model model(kStealthText);  // the text is never judged here
  std::vector<standin::HostCall> scratch;
  const auto add = [&](const Step& step) {
    out.steps.push_back(step);
    model.apply(step, scratch);
    scratch.clear();
  };
  for (const Step& step : timeline.steps) {
    const auto* passes = std::get_if<harness::Passes>(&step);
    if (passes == nullptr) {
      add(step);
      continue;
    }
    // One pass at a time, each with the wait it needs. Each wait leaves one event's
    // ambiguous stretch; it may enter another's, but there are three such events
    // and each stretch is passed only once.
    for (std::uint32_t i = 0; i < passes->count; ++i) {
      while (const std::uint64_t wait = model.msUntilUnambiguous()) add(harness::Advance{wait});
      add(harness::Passes{1, passes->everyMs});
    }
  }
  return out;
}

std::uint64_t SeededChoices::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

harness::Timeline generateTimeline(Choices& r, std::size_t maxSteps) {
  harness::Timeline timeline{{harness::SetTick{randomStart(r)}}};
  const std::size_t length = 1 + r.below(maxSteps);
  for (std::size_t i = 0; i < length && !r.exhausted(); ++i) {
    const std::uint64_t kind = r.below(10);
    if (kind < 3) {
      timeline.steps.push_back(harness::Key{randomKeystroke(r)});
    } else if (kind < 6) {
      timeline.steps.push_back(harness::Advance{randomAdvance(r)});
    } else if (kind == 6) {
      timeline.steps.push_back(harness::SetSubject{randomSubject(r)});
    } else {
      timeline.steps.push_back(harness::Passes{});
    }
  }
  return unambiguous(timeline);
}

harness::Timeline randomTimeline(std::uint64_t seed) {
  SeededChoices choices(seed);
  return generateTimeline(choices, kMaxRandomSteps);
}

}  // namespace keyrelay_model
