// Generated timelines: key events for the bindings' keys, other keys and codes of 255 and
// above with arbitrary flag values, subject changes, clock steps of every size
// (window edges, the wrap of the 32-bit tick, 2^32 ms and more) and passes, each
// choice taken from a source: seeded numbers for the random tests, the fuzzer's
// bytes for the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "harness/timeline.h"

namespace keyrelay_model {

// Where a generated timeline's choices come from.
class Choices {
 public:
  virtual ~Choices() = default;
  // Any 64-bit value.
  virtual std::uint64_t next() = 0;
  // 0 to n - 1; n > 0.
  virtual std::uint64_t below(std::uint64_t n) = 0;
  // Nothing more to give: the timeline ends there.
  virtual bool exhausted() { return false; }
};

// The same numbers for the same seed on every machine (splitmix64), unlike the
// standard distributions.
class SeededChoices : public Choices {
 public:
  explicit SeededChoices(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() override;
  std::uint64_t below(std::uint64_t n) override { return next() % n; }

 private:
  std::uint64_t state_;
};

// The one place where timelines bend to the plugin's 32-bit tick. An event left
// untouched for a multiple of 2^32 ms looks new again to the plugin (an accepted
// limit); the model keeps 64-bit time and would disagree there. So before each
// pass that would judge such an event, the clock moves on just far enough that it
// does not: `timeline` with an advance inserted before each pass that needs one.
// Every other age, across the wrap too and past 2^32 ms, stays as made.
harness::Timeline unambiguous(const harness::Timeline& timeline);

// A timeline of a clock setting then 1 to `maxSteps` steps (fewer if the choices
// run out), already unambiguous.
harness::Timeline generateTimeline(Choices& choices, std::size_t maxSteps);

// The timeline of a seed: up to kMaxRandomSteps steps.
harness::Timeline randomTimeline(std::uint64_t seed);

inline constexpr std::size_t kMaxRandomSteps = 48;
// The first seed of a run that names none: fixed, so that runs repeat.
inline constexpr std::uint64_t kDefaultSeed = 0x6B657972656C6179;

}  // namespace keyrelay_model
