#include "tests/model/generator.h"

#include <array>
#include <limits>

#include "tests/model/unambiguous.h"

namespace keyrelay_model {
namespace {

bool oneIn(Choices& r, std::uint64_t n) { return r.below(n) == 0; }
template <typename T, std::size_t N>
T pick(Choices& r, const std::array<T, N>& values) {
  return values[r.below(N)];
}

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

DWORD randomKey(Choices& r) {
  switch (r.below(10)) {
    case 0:
    case 1:
      return 0x58;
    case 2:
    case 3:
      return 0x43;
    case 4:
    case 5:
      return 0x11;
    case 6:  // other keys the plugin keeps, the edges among them
      return pick(r, std::array<DWORD, 4>{0, 254, 0x10, 0xA2});
    case 7:
      return static_cast<DWORD>(r.below(255));
    case 8:  // codes the plugin ignores, some of them X, C or Ctrl plus 256
      return pick(r, std::array<DWORD, 6>{255, 256, 0x158, 0x143, 0x111, 0xFFFFFFFF});
    default:
      return static_cast<DWORD>(255 + r.below(std::uint64_t{0xFFFFFFFF} - 255 + 1));
  }
}

BOOL randomFlag(Choices& r) {
  switch (r.below(6)) {
    case 0:
    case 1:
      return 0;
    case 2:
    case 3:
      return 1;
    case 4:
      return pick(r, std::array<BOOL, 4>{-1, 2, std::numeric_limits<BOOL>::min(),
                                         std::numeric_limits<BOOL>::max()});
    default:
      return static_cast<BOOL>(static_cast<std::uint32_t>(r.next()));
  }
}

standin::Keystroke randomKeystroke(Choices& r) {
  standin::Keystroke k;
  k.key = randomKey(r);
  k.repeatCount = static_cast<WORD>(oneIn(r, 4) ? r.next() : 1);
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
  switch (r.below(12)) {
    case 0:
      return 0;
    case 1:
    case 2:
      return 1 + r.below(40);
    case 3:
      return pick(r, std::array<std::uint64_t, 6>{98, 99, 100, 101, 50, 16});
    case 4:
      return pick(r, std::array<std::uint64_t, 6>{4998, 4999, 5000, 5001, 2500, 1000});
    case 5:
      return r.below(6000);
    case 6:
      return r.below(1u << 20);
    case 7:
      return r.below(kWrap);
    case 8:  // around 2^32 and its multiples
      return kWrap * (1 + r.below(2)) - 6000 + r.below(12000);
    case 9:
      return pick(r, std::array<std::uint64_t, 4>{kWrap, kWrap - 1, kWrap + 1, 2 * kWrap});
    case 10:
      return r.below(std::uint64_t{1} << 36);
    default:
      return 1 + r.below(16);
  }
}

SubjectHandle randomSubject(Choices& r) {
  switch (r.below(4)) {
    case 0:
      return pick(
          r, std::array<SubjectHandle, 6>{0, 1, -1, 7, std::numeric_limits<SubjectHandle>::min(),
                                          std::numeric_limits<SubjectHandle>::max()});
    case 1:
      return static_cast<SubjectHandle>(r.below(1000));
    default:
      return static_cast<SubjectHandle>(static_cast<std::uint32_t>(r.next()));
  }
}

DWORD randomStart(Choices& r) {
  switch (r.below(4)) {
    case 0:
      return pick(r, std::array<DWORD, 4>{0, 1, 99, 5000});
    case 1:  // just before the wrap
      return static_cast<DWORD>(0xFFFFFFFFu - r.below(6000));
    default:
      return static_cast<DWORD>(r.next());
  }
}

}  // namespace

std::uint64_t SeededChoices::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

replay::Timeline generateTimeline(Choices& r, std::size_t maxSteps) {
  replay::Timeline timeline{{replay::SetTick{randomStart(r)}}};
  const std::size_t length = 1 + r.below(maxSteps);
  for (std::size_t i = 0; i < length && !r.exhausted(); ++i) {
    switch (r.below(10)) {
      case 0:
      case 1:
      case 2:
        timeline.steps.push_back(replay::Key{randomKeystroke(r)});
        break;
      case 3:
      case 4:
      case 5:
        timeline.steps.push_back(replay::Advance{randomAdvance(r)});
        break;
      case 6:
        timeline.steps.push_back(replay::SetSubject{randomSubject(r)});
        break;
      default:
        timeline.steps.push_back(replay::Passes{});
        break;
    }
  }
  return unambiguous(timeline);
}

replay::Timeline randomTimeline(std::uint64_t seed) {
  SeededChoices choices(seed);
  return generateTimeline(choices, kMaxRandomSteps);
}

}  // namespace keyrelay_model
