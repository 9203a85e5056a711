#include "tests/model/plugin_runner.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "script/natives.h"
#include "standin/plugin_module.h"
#include "tests/model/generator.h"
#include "tests/model/model.h"
#include "tools/replay/runner.h"
#include "tools/replay/scenario.h"

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

PluginRunner::PluginRunner() { standin::reset(); }

PluginRunner::~PluginRunner() {
  standin::unloadPlugin();
  standin::reset();
}

// Each timeline starts from what a fresh load gives the plugin, however it is built
// or loaded.
std::optional<std::string> PluginRunner::mismatch(const Timeline& timeline) {
  replay::Runner runner(replay::Runner::Start::kFresh);
  runner.apply(timeline);
  const std::vector<HostCall>& actual = runner.calls();
  // The text goes by address: the plugin's own copy, wherever its module lies.
  const std::vector<HostCall> expected =
      expectedTrace(timeline, nullptr, standin::pluginText(kStealthText));
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
         "\nShortest failing prefix, as a scenario for keyrelay-replay:\n" +
         replay::scenarioText(prefix);
}

bool numberFromEnvironment(const char* name, std::uint64_t& value) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return true;
  char* end = nullptr;
  const std::uint64_t number = std::strtoull(text, &end, 0);
  if (*end != '\0' || *text == '-') return false;
  value = number;
  return true;
}

std::optional<std::string> runRandomTimelines(PluginRunner& runner, std::uint64_t firstSeed,
                                              std::uint64_t count, std::uint64_t& steps) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t seed = firstSeed + i;
    const Timeline timeline = randomTimeline(seed);
    steps += timeline.steps.size();
    if (runner.mismatch(timeline)) {
      return failureReport(runner,
                           "seed " + std::to_string(seed) + " (rerun alone: KEYRELAY_SEED=" +
                               std::to_string(seed) + " KEYRELAY_TIMELINES=1)",
                           timeline);
    }
  }
  return std::nullopt;
}

}  // namespace keyrelay_model
