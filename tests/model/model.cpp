#include "tests/model/model.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "script/natives.h"

namespace keyrelay_model {
namespace {

using standin::HostCall;
using standin::Op;

constexpr DWORD kKeysKept = 255;
constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

void native(std::vector<HostCall>& trace, NativeHash hash, std::initializer_list<UINT64> slots,
            UINT64 result) {
  trace.push_back({Op::kNativeInit, hash, 0, true});
  for (UINT64 slot : slots) trace.push_back({Op::kNativePush64, slot, 0, true});
  trace.push_back({Op::kNativeCall, result, 0, true});
}

UINT64 lowHalf(SubjectHandle subject) { return static_cast<std::uint32_t>(subject); }
UINT64 widened(SubjectHandle subject) {
  return static_cast<UINT64>(static_cast<std::int64_t>(subject));
}

}  // namespace

Model::Model(const char* stealthText) : stealthText_(reinterpret_cast<UINT64>(stealthText)) {}

void Model::apply(const Step& step, std::vector<HostCall>& trace) {
  const auto notJudged = [](const auto&) {
    throw std::invalid_argument("the model does not judge loads and unloads");
  };
  std::visit(harness::Overloaded{
                 [&](const harness::SetTick& s) { now_ += static_cast<DWORD>(s.ms - now32()); },
                 [&](const harness::Advance& s) {
                   if (s.ms >= kWrap) ++tally_.advancesPastWrap;
                   now_ += s.ms;
                 },
                 [&](const harness::SetSubject& s) { subject_ = s.subject; },
                 [&](const harness::Key& s) { keystroke(s.keystroke, trace); },
                 [&](const harness::Passes& s) {
                   for (std::uint32_t i = 0; i < s.count; ++i, now_ += s.everyMs) pass(trace);
                 },
                 [](const harness::Thread&) {},  // a thread calls nothing
                 [&](const harness::Load& s) { notJudged(s); },
                 [&](const harness::Unload& s) { notJudged(s); },
             },
             step);
}

void Model::keystroke(const standin::Keystroke& keystroke, std::vector<HostCall>& trace) {
  if (keystroke.key >= kKeysKept) {
    ++tally_.badKeys;
    return;
  }
  trace.push_back({Op::kGetTickCount, now32(), 0, false});
  latest_[keystroke.key] = Latest{now_, keystroke.transitionState != 0, false};
}

bool Model::justReleased(DWORD key, std::vector<HostCall>& trace) {
  trace.push_back({Op::kGetTickCount, now32(), 0, true});
  const auto found = latest_.find(key);
  if (found == latest_.end() || !found->second.release || found->second.consumed) return false;
  if (now_ - found->second.at >= kJustReleasedMs) {
    ++tally_.lateReleases;
    return false;
  }
  found->second.consumed = true;
  countAct(found->second);
  return true;
}

bool Model::held(DWORD key, std::vector<HostCall>& trace) {
  trace.push_back({Op::kGetTickCount, now32(), 0, true});
  const auto found = latest_.find(key);
  if (found == latest_.end() || found->second.release) return false;
  if (now_ - found->second.at >= kHeldMs) return false;
  countAct(found->second);
  return true;
}

void Model::countAct(const Latest& event) {
  if (event.at / kWrap != now_ / kWrap) ++tally_.actsAcrossWrap;
  if (event.at % kWrap == 0) ++tally_.actsOnTickZero;
  if (subject_ < 0) ++tally_.negativeSubjectActs;
}

void Model::pass(std::vector<HostCall>& trace) {
  native(trace, kSubjectNative, {}, standin::kResultNoise | lowHalf(subject_));
  const UINT64 text = stealthText_;
  const bool stealth = justReleased(kStealthKey, trace);
  if (stealth) native(trace, kStealthNative, {lowHalf(subject_), text}, standin::kResultNoise);
  const bool followUp = justReleased(kFollowUpKey, trace);
  if (followUp) {
    native(trace, kStealthNative, {lowHalf(subject_), text}, standin::kResultNoise);
    native(trace, kFollowUpNative, {lowHalf(subject_), 1, 0, 0}, standin::kResultNoise);
  }
  const bool hold = held(kHoldKey, trace);
  if (hold) native(trace, kHoldNative, {widened(subject_)}, standin::kResultNoise);
  tally_.stealthActs += stealth ? 1 : 0;
  tally_.followUpActs += followUp ? 1 : 0;
  tally_.holdActs += hold ? 1 : 0;
  tally_.allThreeActs += (stealth && followUp && hold) ? 1 : 0;
  trace.push_back({Op::kScriptWait, 0, 0, true});
}

std::uint64_t Model::msUntilUnambiguous() const {
  std::uint64_t wait = 0;
  const auto check = [&](DWORD key, bool wantRelease, std::uint64_t window) {
    const auto found = latest_.find(key);
    if (found == latest_.end() || found->second.release != wantRelease || found->second.consumed) {
      return;
    }
    const std::uint64_t age = now_ - found->second.at;
    if (age >= kWrap && age % kWrap < window) wait = std::max(wait, window - age % kWrap);
  };
  check(kStealthKey, true, kJustReleasedMs);
  check(kFollowUpKey, true, kJustReleasedMs);
  check(kHoldKey, false, kHeldMs);
  return wait;
}

std::vector<HostCall> expectedTrace(const Timeline& timeline, Tally* tally,
                                    const char* stealthText) {
  Model model(stealthText);
  std::vector<HostCall> trace;
  for (const Step& step : timeline.steps) model.apply(step, trace);
  if (tally != nullptr) *tally = model.tally();
  return trace;
}

}  // namespace keyrelay_model
