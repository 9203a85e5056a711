#include "tests/model/timeline.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace keyrelay_model {
namespace {

std::string keyWord(DWORD key) {
  switch (key) {
    case 0x58:
      return "X";
    case 0x43:
      return "C";
    case 0x11:
      return "CTRL";
    default: {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "0x%" PRIX32, static_cast<std::uint32_t>(key));
      return buffer;
    }
  }
}

std::string keystrokeLine(const standin::Keystroke& k) {
  char buffer[200];
  std::snprintf(buffer, sizeof buffer,
                "%s %s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32 " previous=%" PRId32
                " transition=%" PRId32 "\n",
                k.transitionState != 0 ? "release" : "press", keyWord(k.key).c_str(),
                static_cast<unsigned>(k.repeatCount), static_cast<unsigned>(k.scanCode), k.extended,
                k.contextCode, k.previousState, k.transitionState);
  return buffer;
}

}  // namespace

bool operator==(const Step& a, const Step& b) {
  const standin::Keystroke& j = a.keystroke;
  const standin::Keystroke& k = b.keystroke;
  return a.kind == b.kind && a.ms == b.ms && a.subject == b.subject && j.key == k.key &&
         j.repeatCount == k.repeatCount && j.scanCode == k.scanCode && j.extended == k.extended &&
         j.contextCode == k.contextCode && j.previousState == k.previousState &&
         j.transitionState == k.transitionState;
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
        out += keystrokeLine(step.keystroke);
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
