#include "tests/model/plugin_runner.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <utility>

#include "harness/format.h"
#include "harness/number.h"
#include "harness/plugin_loader.h"
#include "harness/runner.h"
#include "harness/scenario.h"
#include "script/natives.h"
#include "tests/model/generator.h"
#include "tests/model/model.h"

namespace keyrelay_model {
namespace {

using standin::HostCall;
using standin::Op;

std::string describe(const std::vector<HostCall>& calls, std::size_t at) {
  if (at >= calls.size()) return "(nothing)";
  const HostCall& call = calls[at];
  return harness::format("%s 0x%016" PRIX64 "%s", std::string(standin::opName(call.op)).c_str(),
                         call.value, call.fromScript ? " in the script" : " outside the script");
}

}  // namespace

PluginRunner::PluginRunner(harness::PluginFile plugin) : plugin_(std::move(plugin)) {
  standin::reset();
}

PluginRunner::~PluginRunner() {
  harness::unloadPlugin();
  standin::reset();
}

// Each timeline starts from what a new load gives the plugin, however it is built
// or loaded.
std::optional<std::string> PluginRunner::mismatch(const Timeline& timeline) {
  harness::Runner runner(harness::Runner::Start::kReloaded, plugin_);
  for (const Step& step : timeline.steps) runner.apply(step);
  const std::vector<HostCall>& actual = runner.calls();
  // The text goes by address: the plugin's own copy, wherever its module lies.
  const std::vector<HostCall> expected =
      expectedTrace(timeline, nullptr, harness::pluginText(kStealthText));
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
         harness::scenarioText(prefix);
}

int runRandomTimelines(std::uint64_t count, const harness::PluginFile& plugin) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  // None is no test: a run of no timelines must not pass.
  const harness::NumberResult timelines =
      harness::numberFromEnvironment("KEYRELAY_TIMELINES", count, 1, kMost);
  const harness::NumberResult first =
      harness::numberFromEnvironment("KEYRELAY_SEED", kDefaultSeed, 0, kMost);
  for (const std::string& error : {timelines.error, first.error}) {
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
  }
  if (!timelines.error.empty() || !first.error.empty()) return 2;
  count = timelines.value;
  const std::uint64_t firstSeed = first.value;
  PluginRunner runner(plugin);
  std::uint64_t steps = 0;
  for (std::uint64_t seed = firstSeed; seed - firstSeed < count; ++seed) {
    const Timeline timeline = randomTimeline(seed);
    steps += timeline.steps.size();
    if (runner.mismatch(timeline)) {
      const std::string origin = "seed " + std::to_string(seed) +
                                 " (rerun alone: KEYRELAY_SEED=" + std::to_string(seed) +
                                 " KEYRELAY_TIMELINES=1)";
      std::fputs(failureReport(runner, origin, timeline).c_str(), stderr);
      return 1;
    }
  }
  std::printf(
      "%llu timelines, %llu steps, seeds from %llu: the plugin made the model's host calls\n",
      static_cast<unsigned long long>(count), static_cast<unsigned long long>(steps),
      static_cast<unsigned long long>(firstSeed));
  return 0;
}

}  // namespace keyrelay_model
