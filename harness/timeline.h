// A timeline: what happens to the plugin and its host, step by step. Scenarios are
// timelines written as text (scenario.h); the replay tool, the random timelines,
// the fuzzer and the sandbox all make or run them (runner.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "standin/standin.h"

namespace harness {

// Sets the clock, in ms.
struct SetTick {
  std::uint32_t ms;
};
// Moves the clock on by any number of ms, 2^32 and more too; it wraps at 2^32.
struct Advance {
  std::uint64_t ms;
};
// The subject handle the game hands out from now on.
struct SetSubject {
  std::int32_t subject;
};
// A keystroke delivered to the registered handler.
struct Key {
  standin::Keystroke keystroke;
};
// `count` passes of the script, the clock moved on by `everyMs` after each.
struct Passes {
  std::uint32_t count = 1;
  std::uint32_t everyMs = 0;
};
// The plugin loaded, unloaded, or a thread started and ended in the process.
struct Load {};
struct Unload {};
struct Thread {};

using Step = std::variant<SetTick, Advance, SetSubject, Key, Passes, Load, Unload, Thread>;

// One callable for each kind of step: std::visit(Overloaded{...}, step).
template <typename... Callables>
struct Overloaded : Callables... {
  using Callables::operator()...;
};
template <typename... Callables>
Overloaded(Callables...) -> Overloaded<Callables...>;

// Steps have no == of their own: two are the same when their scenario lines
// are, which spell out every field (scenario.h).
struct Timeline {
  std::vector<Step> steps;
};

// The first `length` steps of `timeline`.
inline Timeline prefixOf(const Timeline& timeline, std::size_t length) {
  const auto end = std::min(length, timeline.steps.size());
  return Timeline{
      {timeline.steps.begin(), timeline.steps.begin() + static_cast<std::ptrdiff_t>(end)}};
}

}  // namespace harness
