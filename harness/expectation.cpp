#include "harness/expectation.h"

#include <cinttypes>
#include <span>
#include <utility>

#include "harness/format.h"
#include "harness/native_calls.h"
#include "harness/trace.h"
#include "script/natives.h"

namespace harness {
namespace {

// The natives named in a list, ", " between them; `none` for an empty list.
std::string listed(std::span<const std::string> names, const char* none) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? none : text;
}

std::string whatItDid(const PassNatives& natives) {
  return natives.ranScript ? "called " + listed(natives.names, "nothing") : "ran no script";
}

}  // namespace

std::optional<NativeHash> expectableNative(std::string_view name) {
  for (const NativeHash hash : {kStealthNative, kFollowUpNative, kHoldNative}) {
    if (nativeName(hash) == name) return hash;
  }
  return std::nullopt;
}

PassNatives passNatives(const Runner& runner, const AppliedStep& pass) {
  PassNatives natives{.ranScript = pass.outcome == Outcome::kDone};
  const std::span<const standin::HostCall> calls = runner.calls();
  for (const CallGroup& group :
       groupNativeCalls(calls.subspan(pass.firstCall, pass.endCall - pass.firstCall))) {
    const auto* native = std::get_if<NativeCall>(&group);
    if (native != nullptr) natives.names.push_back(nativeLabel(*native));
  }
  return natives;
}

void PassLineSummary::clear() {
  first_.reset();
  other_.reset();
}

void PassLineSummary::add(std::uint64_t pass, PassNatives natives) {
  if (!first_) {
    first_ = Seen{pass, std::move(natives)};
  } else if (!other_ && natives != first_->natives) {
    other_ = Seen{pass, std::move(natives)};
  }
}

std::string PassLineSummary::unmet(const Expectation& expectation) const {
  PassNatives expected{.ranScript = true, .names = {std::string(nativeName(kSubjectNative))}};
  for (const NativeHash hash : expectation.natives) {
    expected.names.emplace_back(nativeName(hash));
  }
  const std::string head = format("line %zu: expect %s: ", expectation.line,
                                  listed(std::span(expected.names).subspan(1), "nothing").c_str());
  if (!first_) return head + "no pass before it";
  // Every pass of the line as the first, and the first as expected.
  const Seen* wrong = first_->natives != expected ? &*first_ : (other_ ? &*other_ : nullptr);
  if (wrong == nullptr) return {};
  return head + format("pass %" PRIu64 " ", wrong->pass) + whatItDid(wrong->natives);
}

}  // namespace harness
