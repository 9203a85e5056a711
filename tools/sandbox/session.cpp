#include "tools/sandbox/session.h"

#include <span>

#include "harness/plugin_module.h"
#include "harness/scenario.h"

namespace sandbox {
Session::Session(Display& display, std::ostream* trace, std::ostream* recording)
    : display_(display),
      trace_(trace),
      recording_(recording),
      runner_(harness::Runner::Start::kLoad) {
  if (!loaded()) return;
  apply(harness::SetSubject{harness::kFreshSubject});  // for the whole session
  tell();
}

bool Session::loaded() const { return !runner_.loadFailed(); }

void Session::keystroke(DWORD now, const standin::Keystroke& keystroke) {
  apply(harness::SetTick{now});
  apply(harness::Key{keystroke});
  tell();
}

void Session::frame(DWORD now) {
  apply(harness::SetTick{now});
  apply(harness::Passes{});
  tell();
}

bool Session::finish() {
  runner_.finish();
  tell();
  const auto good = [](std::ostream* out) { return out == nullptr || out->flush().good(); };
  return good(trace_) && good(recording_);
}

void Session::apply(const harness::Step& step) {
  runner_.apply(step);
  if (recording_ != nullptr) *recording_ << harness::scenarioLines(step);
}

// Hands what the steps did to the trace and the display, then forgets it, so
// that a long session takes no more memory than a short one. The files are
// flushed as they go: they tell what happened up to a crash, too.
void Session::tell() {
  if (trace_ != nullptr) *trace_ << printer_.print(runner_) << std::flush;
  if (recording_ != nullptr) *recording_ << std::flush;
  const std::span<const standin::HostCall> calls = runner_.calls();
  for (const harness::Happening& happening : runner_.happenings()) {
    if (const auto* key = std::get_if<harness::Key>(&happening.step)) {
      display_.keystroke(key->keystroke, happening.tick);
    } else if (std::holds_alternative<harness::Passes>(happening.step)) {
      display_.frame(happening.pass, happening.tick,
                     calls.subspan(happening.firstCall, happening.endCall - happening.firstCall));
    }
  }
  runner_.forget();
}

}  // namespace sandbox
