#include "tools/sandbox/session.h"

#include <span>

#include "harness/plugin_loader.h"
#include "harness/scenario.h"

namespace sandbox {
namespace {

// The subject the session's passes fetch, as the game hands one out.
constexpr SubjectHandle kSessionSubject = 7;

// What the module registered as it loaded (the runner's first applied step), as
// the plugin does: its script, for its own module, and its keystroke handler.
// Empty when it registered both.
std::string missingRegistrations(const harness::Runner& runner) {
  const harness::AppliedStep& load = runner.appliedSteps().front();
  bool script = false;
  bool handler = false;
  for (std::size_t i = load.firstCall; i < load.endCall; ++i) {
    const standin::HostCall& call = runner.calls()[i];
    script = script || (call.op == standin::Op::kScriptRegister && call.value == load.module);
    handler = handler || call.op == standin::Op::kKeyboardHandlerRegister;
  }
  if (script && handler) return {};
  return !script && !handler ? "neither a script nor a keystroke handler"
         : !script           ? "no script"
                             : "no keystroke handler";
}

}  // namespace

Session::Session(const harness::PluginFile& plugin, Display& display, std::ostream* trace,
                 std::ostream* scenario)
    : display_(display),
      trace_(trace),
      scenario_(scenario),
      runner_(harness::Runner::Start::kLoad, plugin) {
  const std::string& module = plugin.path;
  if (runner_.loadFailed()) {
    error_ = harness::loadError().empty() ? "cannot load " + module : harness::loadError();
    return;
  }
  if (const std::string missing = missingRegistrations(runner_); !missing.empty()) {
    error_ = module + " is not the plugin: it loaded, but registered " + missing + " with the host";
    return;
  }
  apply(harness::SetSubject{kSessionSubject});  // for the whole session
  forwardAndForget();
}

const std::string& Session::error() const { return error_; }

void Session::keystroke(DWORD now, const standin::Keystroke& keystroke) {
  apply(harness::SetTick{now});
  apply(harness::Key{keystroke});
  forwardAndForget();
}

void Session::frame(DWORD now) {
  apply(harness::SetTick{now});
  apply(harness::Passes{});
  forwardAndForget();
}

bool Session::finish() {
  runner_.finish();
  forwardAndForget();
  const auto good = [](std::ostream* out) { return out == nullptr || out->flush().good(); };
  return good(trace_) && good(scenario_);
}

void Session::apply(const harness::Step& step) {
  runner_.apply(step);
  if (scenario_ != nullptr) *scenario_ << harness::scenarioLines(step);
}

// Forwards what the steps did to the trace and the display, then forgets it, so
// that a long session takes no more memory than a short one. The files are
// flushed as they go: they show what happened up to a crash, too.
void Session::forwardAndForget() {
  if (trace_ != nullptr) *trace_ << printer_.print(runner_) << std::flush;
  if (scenario_ != nullptr) *scenario_ << std::flush;
  const std::span<const standin::HostCall> calls = runner_.calls();
  for (const harness::AppliedStep& applied : runner_.appliedSteps()) {
    if (const auto* key = std::get_if<harness::Key>(&applied.step)) {
      display_.keystroke(key->keystroke, applied.tick);
    } else if (std::holds_alternative<harness::Passes>(applied.step)) {
      display_.frame(applied.pass, applied.tick,
                     calls.subspan(applied.firstCall, applied.endCall - applied.firstCall));
    }
  }
  runner_.forget();
}

}  // namespace sandbox
