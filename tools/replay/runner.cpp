#include "tools/replay/runner.h"

#include <type_traits>

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
  const auto done = [](bool acted) { return acted ? Outcome::kDone : Outcome::kNothingToDo; };
  std::visit(
      [&](const auto& s) {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, SetTick>) {
          standin::setTick(s.ms);
          happened(step, Outcome::kDone);
        } else if constexpr (std::is_same_v<T, Advance>) {
          standin::setTick(static_cast<DWORD>(standin::currentTick() + s.ms));
          happened(step, Outcome::kDone);
        } else if constexpr (std::is_same_v<T, SetSubject>) {
          standin::setSubject(s.subject);
          happened(step, Outcome::kDone);
        } else if constexpr (std::is_same_v<T, Key>) {
          happened(step, done(standin::deliverKeystroke(s.keystroke)));
        } else if constexpr (std::is_same_v<T, Passes>) {
          for (std::uint32_t i = 0; i < s.count; ++i) {
            const DWORD tick = standin::currentTick();
            const unsigned long long readsBefore = standin::tickReads();
            const bool ran = standin::runPass();
            Happening& pass = happened(step, done(ran));
            pass.pass = ++passes_;
            pass.tick = tick;
            pass.tickReads = standin::tickReads() - readsBefore;
            standin::advanceTick(s.everyMs);
          }
        } else if constexpr (std::is_same_v<T, Load>) {
          Outcome outcome = Outcome::kNothingToDo;
          if (standin::pluginModule() == nullptr) {
            outcome = standin::loadPlugin() ? Outcome::kDone : Outcome::kFailed;
          }
          loadFailed_ = loadFailed_ || outcome == Outcome::kFailed;
          happened(step, outcome).module = reinterpret_cast<UINT64>(standin::pluginModule());
        } else if constexpr (std::is_same_v<T, Unload>) {
          const bool loaded = standin::pluginModule() != nullptr;
          standin::unloadPlugin();
          happened(step, done(loaded));
        } else {
          standin::runThreadInProcess();
          happened(step, Outcome::kDone);
        }
      },
      step);
}

void Runner::apply(const Timeline& timeline) {
  for (const Step& step : timeline.steps) apply(step);
}

void Runner::finish() {
  if (start_ == Start::kLoad && standin::pluginModule() != nullptr) apply(Unload{});
}

void Runner::forget() {
  happenings_.clear();
  standin::clearCalls();
}

}  // namespace replay
