#include "tools/sandbox/verdict.h"

#include <cinttypes>
#include <cstdint>

#include "harness/format.h"

namespace sandbox {
namespace {

using harness::format;

// The event's age at the pass that decides it: the first after it, else the next
// one due. 64 bits: an old event's age plus the wait must not wrap to young.
std::uint64_t ageAtDecidingPass(const EventTimes& event) {
  return event.firstPassAgeMs ? *event.firstPassAgeMs
                              : std::uint64_t{event.ageMs} + event.nextPassInMs;
}

}  // namespace

Verdict judgeEvent(const EventTimes& event) {
  if (event.release == event.actsOnPress) {
    return event.release ? Verdict::kNotHeld : Verdict::kActsOnRelease;
  }
  if (event.actsOnPress) {
    // Every pass under the age limit acts, the next one too while it is due there.
    if (std::uint64_t{event.ageMs} + event.nextPassInMs < event.ageLimitMs)
      return Verdict::kWillAct;
    return event.firstPassAgeMs && *event.firstPassAgeMs < event.ageLimitMs ? Verdict::kActedAndPast
                                                                            : Verdict::kMissed;
  }
  // A release acts once, in the first pass after it, or never.
  if (ageAtDecidingPass(event) >= event.ageLimitMs) return Verdict::kMissed;
  return event.firstPassAgeMs ? Verdict::kActed : Verdict::kWillAct;
}

std::string verdictText(const EventTimes& event, Verdict verdict) {
  const std::uint64_t passAge = ageAtDecidingPass(event);
  const char* pass = event.firstPassAgeMs ? "first pass" : "next pass";
  // DWORD is unsigned long on Windows, unsigned int here: one width for the format.
  const auto limit = static_cast<std::uint32_t>(event.ageLimitMs);
  switch (verdict) {
    case Verdict::kActsOnRelease:
      return "pressed: acts on its release";
    case Verdict::kNotHeld:
      return "released: not held, nothing acts";
    case Verdict::kWillAct:
      return format("will act: next pass at %" PRIu64 " ms, under %" PRIu32 " ms",
                    std::uint64_t{event.ageMs} + event.nextPassInMs, limit);
    case Verdict::kActed:
      return format("acted: first pass at %" PRIu64 " ms, under %" PRIu32 " ms", passAge, limit);
    case Verdict::kActedAndPast:
      return format("acted while under %" PRIu32 " ms; past it now", limit);
    case Verdict::kMissed:
      break;
  }
  std::string text =
      format("missed: %s at %" PRIu64 " ms, past %" PRIu32 " ms", pass, passAge, limit);
  if (event.passGapMs)
    text += format(" (a %" PRIu32 " ms frame)", static_cast<std::uint32_t>(*event.passGapMs));
  return text;
}

}  // namespace sandbox
