#include "tests/model/timeline.h"

#include <algorithm>

#include "tools/replay/scenario.h"

namespace keyrelay_model {

bool operator==(const Step& a, const Step& b) {
  return a.kind == b.kind && a.ms == b.ms && a.subject == b.subject && a.keystroke == b.keystroke;
}

Step keystrokeStep(const standin::Keystroke& keystroke) {
  return Step{.kind = StepKind::kKeystroke, .keystroke = keystroke};
}
Step advanceStep(std::uint64_t ms) { return Step{.kind = StepKind::kAdvance, .ms = ms}; }
Step subjectStep(SubjectHandle subject) {
  return Step{.kind = StepKind::kSubject, .subject = subject};
}
Step passStep() { return Step{.kind = StepKind::kPass}; }

Timeline prefixOf(const Timeline& timeline, std::size_t length) {
  Timeline prefix{timeline.startTick, {}};
  length = std::min(length, timeline.steps.size());
  prefix.steps.assign(timeline.steps.begin(),
                      timeline.steps.begin() + static_cast<std::ptrdiff_t>(length));
  return prefix;
}

std::string scenarioText(const Timeline& timeline) {
  std::string out = "tick " + std::to_string(timeline.startTick) + "\n";
  for (const Step& step : timeline.steps) {
    switch (step.kind) {
      case StepKind::kKeystroke:
        out += replay::keystrokeLine(step.keystroke);
        break;
      case StepKind::kAdvance: {
        // The replay tool takes 32-bit advances.
        std::uint64_t left = step.ms;
        do {
          const std::uint64_t chunk = std::min<std::uint64_t>(left, 0xFFFFFFFFu);
          out += "advance " + std::to_string(chunk) + "\n";
          left -= chunk;
        } while (left != 0);
        break;
      }
      case StepKind::kSubject:
        out += "subject " + std::to_string(step.subject) + "\n";
        break;
      case StepKind::kPass:
        out += "pass\n";
        break;
    }
  }
  return out;
}

}  // namespace keyrelay_model
