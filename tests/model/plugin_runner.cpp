#include "tests/model/plugin_runner.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "input/key_state.h"
#include "standin/plugin_module.h"
#include "tests/model/model.h"

namespace keyrelay_model {
namespace {

using standin::HostCall;
using standin::Op;

const char* opName(Op op) {
  switch (op) {
    case Op::kGetTickCount:
      return "GetTickCount";
    case Op::kScriptRegister:
      return "scriptRegister";
    case Op::kScriptUnregister:
      return "scriptUnregister";
    case Op::kScriptWait:
      return "scriptWait";
    case Op::kKeyboardHandlerRegister:
      return "keyboardHandlerRegister";
    case Op::kKeyboardHandlerUnregister:
      return "keyboardHandlerUnregister";
    case Op::kNativeInit:
      return "nativeInit";
    case Op::kNativePush64:
      return "nativePush64";
    case Op::kNativeCall:
      return "nativeCall";
  }
  return "?";
}

std::string describe(const std::vector<HostCall>& calls, std::size_t at) {
  if (at >= calls.size()) return "(nothing)";
  const HostCall& call = calls[at];
  char buffer[120];
  std::snprintf(buffer, sizeof buffer, "%s 0x%016" PRIX64 "%s", opName(call.op), call.value,
                call.fromScript ? " in the script" : " outside the script");
  return buffer;
}

}  // namespace

// One load for all timelines, which makes a hundred thousand of them cheap. That
// is the same as a fresh load each time: the script loop keeps nothing from one
// pass to the next (it fetches the subject afresh), so a script resumed after its
// scriptWait(0) acts as one started anew, and the plugin's only other state, the
// key table, is emptied before each timeline.
PluginRunner::PluginRunner() {
  standin::reset();
  standin::loadPlugin();
}

PluginRunner::~PluginRunner() {
  standin::unloadPlugin();
  standin::reset();
}

const std::vector<HostCall>& PluginRunner::trace(const Timeline& timeline) {
  for (DWORD key = 0; key < kKeyCount; ++key) clearKey(key);
  standin::setTick(timeline.startTick);
  standin::setSubject(0);
  standin::clearCalls();
  for (const Step& step : timeline.steps) {
    switch (step.kind) {
      case StepKind::kKeystroke:
        standin::deliverKeystroke(step.keystroke);
        break;
      case StepKind::kAdvance:
        standin::setTick(static_cast<DWORD>(standin::currentTick() + step.ms));
        break;
      case StepKind::kSubject:
        standin::setSubject(step.subject);
        break;
      case StepKind::kPass:
        standin::runPass();
        break;
    }
  }
  return standin::calls();
}

std::optional<std::string> PluginRunner::mismatch(const Timeline& timeline) {
  const std::vector<HostCall> expected = expectedTrace(timeline);
  const std::vector<HostCall>& actual = trace(timeline);
  if (actual == expected) return std::nullopt;
  const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  const auto at = static_cast<std::size_t>(e - expected.begin());
  return "host call " + std::to_string(at + 1) + ": the plugin made " + describe(actual, at) +
         ", the model expects " + describe(expected, at);
}

std::size_t shortestFailingPrefix(const Timeline& timeline,
                                  const std::function<bool(const Timeline&)>& fails) {
  // Shortest first: a trace that falls short in one step could catch up in the
  // next, so failing need not be monotone in the length.
  for (std::size_t length = 0; length < timeline.steps.size(); ++length) {
    if (fails(prefixOf(timeline, length))) return length;
  }
  return timeline.steps.size();
}

std::string failureReport(PluginRunner& runner, const std::string& origin,
                          const Timeline& timeline) {
  const std::size_t length = shortestFailingPrefix(
      timeline, [&](const Timeline& t) { return runner.mismatch(t).has_value(); });
  const Timeline prefix = prefixOf(timeline, length);
  return origin + ": the plugin departs from the model after " + std::to_string(length) + " of " +
         std::to_string(timeline.steps.size()) + " steps; " +
         runner.mismatch(prefix).value_or("(no longer)") +
         "\nShortest failing prefix, as a scenario for keyrelay-replay:\n" + scenarioText(prefix);
}

}  // namespace keyrelay_model
