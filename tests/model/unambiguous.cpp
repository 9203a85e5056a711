#include "tests/model/unambiguous.h"

#include "tests/model/model.h"

namespace keyrelay_model {

Timeline unambiguous(const Timeline& timeline) {
  Timeline out{timeline.startTick, {}};
  out.steps.reserve(timeline.steps.size());
  Model model(timeline.startTick, kStealthText);  // the text is never judged here
  std::vector<standin::HostCall> scratch;
  const auto add = [&](const Step& step) {
    out.steps.push_back(step);
    model.apply(step, scratch);
    scratch.clear();
  };
  for (const Step& step : timeline.steps) {
    if (step.kind == StepKind::kPass) {
      // Each wait leaves one event's ambiguous stretch; it may enter another's,
      // but there are three such events and each stretch is passed only once.
      while (const std::uint64_t wait = model.msUntilUnambiguous()) add(advanceStep(wait));
    }
    add(step);
  }
  return out;
}

}  // namespace keyrelay_model
