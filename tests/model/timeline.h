// A timeline: what happens to the plugin, step by step, as the random tests and
// the fuzzer make it. Time only moves on, by steps of any size, so that both the
// model (64-bit milliseconds) and the stand-in's 32-bit clock follow from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/standin.h"

namespace keyrelay_model {

enum class StepKind : unsigned char { kKeystroke, kAdvance, kSubject, kPass };

struct Step {
  StepKind kind = StepKind::kPass;
  standin::Keystroke keystroke{};  // kKeystroke
  std::uint64_t ms = 0;            // kAdvance: any size, 2^32 and more too
  SubjectHandle subject = 0;       // kSubject
};

bool operator==(const Step& a, const Step& b);

struct Timeline {
  DWORD startTick = 0;  // the clock when the timeline begins; the subject is 0
  std::vector<Step> steps;
};

Step keystrokeStep(const standin::Keystroke& keystroke);
Step advanceStep(std::uint64_t ms);
Step subjectStep(SubjectHandle subject);
Step passStep();

// The first `length` steps of `timeline`.
Timeline prefixOf(const Timeline& timeline, std::size_t length);

// The timeline as a scenario for keyrelay-replay, every keystroke field spelled
// out; an advance of 2^32 ms or more becomes several lines.
std::string scenarioText(const Timeline& timeline);

}  // namespace keyrelay_model
