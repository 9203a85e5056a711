#include "tools/replay/runner.h"

#include "standin/plugin_module.h"

namespace replay {

Runner::Runner(Start start) : start_(start) {
  if (start == Start::kLoad) {
    standin::reset();
    apply(Load{});
    return;
  }
  if (!standin::freshPlugin()) loadFailed_ = true;
  standin::setTick(0);
  standin::setSubject(0);
  standin::clearCalls();
}

Happening& Runner::happened(const Step& step, Outcome outcome) {
  const std::size_t first = happenings_.empty() ? 0 : happenings_.back().endCall;
  happenings_.push_back(Happening{.step = step,
                                  .outcome = outcome,
                                  .tick = standin::currentTick(),
                                  .firstCall = first,
                                  .endCall = standin::calls().size()});
  return happenings_.back();
}

void Runner::apply(const Step& step) {
  Outcome outcome = Outcome::kDone;
  if (const auto* tick = std::get_if<SetTick>(&step)) {
    standin::setTick(tick->ms);
  } else if (const auto* advance = std::get_if<Advance>(&step)) {
    standin::setTick(static_cast<DWORD>(standin::currentTick() + advance->ms));
  } else if (const auto* subject = std::get_if<SetSubject>(&step)) {
    standin::setSubject(subject->subject);
  } else if (const auto* key = std::get_if<Key>(&step)) {
    if (!standin::deliverKeystroke(key->keystroke)) outcome = Outcome::kNothingToDo;
  } else if (const auto* passes = std::get_if<Passes>(&step)) {
    return runPasses(step, *passes);
  } else if (std::holds_alternative<Load>(step)) {
    return load(step);
  } else if (std::holds_alternative<Unload>(step)) {
    if (standin::pluginModule() == nullptr) outcome = Outcome::kNothingToDo;
    standin::unloadPlugin();
  } else {
    standin::runThreadInProcess();
  }
  happened(step, outcome);
}

void Runner::runPasses(const Step& step, const Passes& passes) {
  for (std::uint32_t i = 0; i < passes.count; ++i) {
    const DWORD tick = standin::currentTick();
    const unsigned long long readsBefore = standin::tickReads();
    const bool ran = standin::runPass();
    Happening& pass = happened(step, ran ? Outcome::kDone : Outcome::kNothingToDo);
    pass.pass = ++passes_;
    pass.tick = tick;
    pass.tickReads = standin::tickReads() - readsBefore;
    standin::advanceTick(passes.everyMs);
  }
}

void Runner::load(const Step& step) {
  Outcome outcome = Outcome::kNothingToDo;
  if (standin::pluginModule() == nullptr) {
    outcome = standin::loadPlugin() ? Outcome::kDone : Outcome::kFailed;
  }
  loadFailed_ = loadFailed_ || outcome == Outcome::kFailed;
  happened(step, outcome).module = reinterpret_cast<UINT64>(standin::pluginModule());
}

void Runner::finish() {
  if (start_ == Start::kLoad && standin::pluginModule() != nullptr) apply(Unload{});
}

void Runner::forget() {
  happenings_.clear();
  standin::clearCalls();
}

}  // namespace replay
