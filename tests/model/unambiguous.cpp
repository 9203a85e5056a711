#include "tests/model/unambiguous.h"

#include "tests/model/model.h"

namespace keyrelay_model {

replay::Timeline unambiguous(const replay::Timeline& timeline) {
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
    const auto* passes = std::get_if<replay::Passes>(&step);
    if (passes == nullptr) {
      add(step);
      continue;
    }
    // One pass at a time, each with the wait it needs. Each wait leaves one event's
    // ambiguous stretch; it may enter another's, but there are three such events
    // and each stretch is passed only once.
    for (std::uint32_t i = 0; i < passes->count; ++i) {
      while (const std::uint64_t wait = model.msUntilUnambiguous()) add(replay::Advance{wait});
      add(replay::Passes{1, passes->everyMs});
    }
  }
  return out;
}

}  // namespace keyrelay_model
