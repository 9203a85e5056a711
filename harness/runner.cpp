#include "harness/runner.h"

#include <utility>

#include "harness/expectation.h"
#include "harness/plugin_loader.h"
#include "harness/trace.h"

namespace harness {

Runner::Runner(Start start, PluginFile plugin) : start_(start), plugin_(std::move(plugin)) {
  if (start == Start::kLoad) {
    standin::reset();
    apply(Load{});
    return;
  }
  loadFailed_ = !reloadPlugin(plugin_);
  standin::setTick(0);
  standin::setSubject(0);
  standin::clearCalls();
}

AppliedStep& Runner::logStep(const Step& step, Outcome outcome) {
  const std::size_t first = appliedSteps_.empty() ? 0 : appliedSteps_.back().endCall;
  appliedSteps_.push_back(AppliedStep{.step = step,
                                      .outcome = outcome,
                                      .tick = standin::currentTick(),
                                      .firstCall = first,
                                      .endCall = standin::calls().size()});
  return appliedSteps_.back();
}

void Runner::apply(const Step& step) {
  const auto done = [&](bool acted) {
    logStep(step, acted ? Outcome::kDone : Outcome::kNothingToDo);
  };
  // Every kind of step by name: a new kind does not compile until it is handled.
  std::visit(Overloaded{
                 [&](const SetTick& s) {
                   standin::setTick(s.ms);
                   done(true);
                 },
                 [&](const Advance& s) {
                   standin::setTick(static_cast<DWORD>(standin::currentTick() + s.ms));
                   done(true);
                 },
                 [&](const SetSubject& s) {
                   standin::setSubject(s.subject);
                   done(true);
                 },
                 [&](const Key& s) { done(standin::deliverKeystroke(s.keystroke)); },
                 [&](const Passes& s) { runPasses(step, s); },
                 [&](const Load&) { load(step); },
                 [&](const Unload&) {
                   const bool loaded = pluginModule() != nullptr;
                   unloadPlugin();
                   done(loaded);
                 },
                 [&](const Thread&) {
                   runThreadInProcess();
                   done(true);
                 },
             },
             step);
}

void Runner::runPasses(const Step& step, const Passes& passes) {
  for (std::uint32_t i = 0; i < passes.count; ++i) {
    const DWORD tick = standin::currentTick();
    const unsigned long long readsBefore = standin::tickReads();
    const bool ran = standin::runPass();
    AppliedStep& pass = logStep(step, ran ? Outcome::kDone : Outcome::kNothingToDo);
    pass.pass = ++passes_;
    pass.tick = tick;
    pass.tickReads = standin::tickReads() - readsBefore;
    standin::advanceTick(passes.everyMs);
  }
}

void Runner::load(const Step& step) {
  Outcome outcome = Outcome::kNothingToDo;
  if (harness::pluginModule() == nullptr) {
    outcome = harness::loadPlugin(plugin_) ? Outcome::kDone : Outcome::kFailed;
  }
  loadFailed_ = loadFailed_ || outcome == Outcome::kFailed;
  logStep(step, outcome).module = reinterpret_cast<UINT64>(harness::pluginModule());
}

void Runner::finish() {
  if (start_ == Start::kLoad && harness::pluginModule() != nullptr) apply(Unload{});
}

void Runner::forget() {
  appliedSteps_.clear();
  standin::clearCalls();
}

bool replayScenario(ScenarioReader& scenario, const PluginFile& plugin, std::ostream& out,
                    const UnmetExpectation& unmet) {
  Runner runner(Runner::Start::kLoad, plugin);
  TracePrinter printer;
  PassLineSummary passLine;
  // Each step's lines printed while the module whose text they show is loaded, and
  // then forgotten.
  const auto printAndForget = [&] {
    out << printer.print(runner);
    runner.forget();
  };
  // An expect line is read after its pass line has run, on the way to the next step.
  const auto check = [&] {
    if (!scenario.expectation()) return;
    if (const std::string what = passLine.unmet(*scenario.expectation()); !what.empty()) {
      unmet(what);
    }
  };
  printAndForget();
  while (const std::optional<Step> step = scenario.next()) {
    check();
    // Passes one at a time, so that a pass line of many is printed as it goes.
    const auto* passes = std::get_if<Passes>(&*step);
    if (passes != nullptr) passLine.clear();
    for (std::uint32_t i = 0; i < (passes != nullptr ? passes->count : 1); ++i) {
      runner.apply(passes != nullptr ? Passes{1, passes->everyMs} : *step);
      if (passes != nullptr) {
        const AppliedStep& pass = runner.appliedSteps().back();
        passLine.add(pass.pass, passNatives(runner, pass));
      }
      printAndForget();
    }
  }
  check();
  runner.finish();
  printAndForget();
  return !runner.loadFailed();
}

}  // namespace harness
