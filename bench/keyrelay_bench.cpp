// What the plugin costs: one idle pass of its script against the floor of the
// host calls the pass must make, measured in the same run; one keystroke event
// against the tick read it must make; and the heap allocations of both, which
// must be none. The last line printed is the ratio of idle pass to floor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/allocation_counter.h"
#include "bench/bench_setup.h"
#include "standin/plugin_module.h"
#include "standin/standin.h"

namespace {

using keyrelay_bench::loadFloorInstead;
using keyrelay_bench::loadFreshPlugin;

void idlePass(benchmark::State& state) {
  loadFreshPlugin();
  for (auto _ : state) standin::runPass();
}

void floorPass(benchmark::State& state) {
  loadFloorInstead();
  for (auto _ : state) standin::runPass();
}

void keystroke(benchmark::State& state) {
  loadFreshPlugin();
  DWORD key = kStealthKey;
  for (auto _ : state) keyrelay_bench::strokeOnce(keyrelay_bench::pluginHandler, key);
}

void tickRead(benchmark::State& state) {
  loadFreshPlugin();
  for (auto _ : state) benchmark::DoNotOptimize(GetTickCount());
}

// Keeps each benchmark's median time per iteration, in ns.
class MedianKeeper : public benchmark::ConsoleReporter {
 public:
  MedianKeeper() : ConsoleReporter(OO_Tabular) {}  // no colours: the output is often piped

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

// Allocations made by `count` rounds of `work`.
template <typename Work>
std::uint64_t allocationsDuring(int count, Work work) {
  const std::uint64_t before = keyrelay_bench::allocations();
  for (int i = 0; i < count; ++i) work(i);
  return keyrelay_bench::allocations() - before;
}

}  // namespace

BENCHMARK(idlePass);
BENCHMARK(floorPass);
BENCHMARK(keystroke);
BENCHMARK(tickRead);

int main(int argc, char** argv) {
  // Repeated, interleaved and taken at the median, so that a slow spell of the
  // machine does not fall on the pass or the floor alone.
  char repetitions[] = "--benchmark_repetitions=9";
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
  std::vector<char*> args{argv[0], repetitions, interleave, aggregatesOnly};
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

  MedianKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  constexpr int kRounds = 100'000;
  loadFreshPlugin();
  const std::uint64_t passAllocations = allocationsDuring(kRounds, [](int i) {
    if (i % 2 == 0) {  // every other pass with all three bindings acting
      standin::deliverKeystroke(standin::release(kStealthKey));
      standin::deliverKeystroke(standin::release(kFollowUpKey));
      standin::deliverKeystroke(standin::press(kHoldKey));
    }
    standin::runPass();
  });
  const std::uint64_t keystrokeAllocations = allocationsDuring(kRounds, [](int i) {
    keyrelay_bench::pluginHandler(static_cast<DWORD>(i) % 300, 1, 0, 0, 0, 0, i & 1);
  });
  standin::unloadPlugin();
  std::printf("allocations in %d passes (half of them acting): %llu\n", kRounds,
              static_cast<unsigned long long>(passAllocations));
  std::printf("allocations in %d keystrokes: %llu\n", kRounds,
              static_cast<unsigned long long>(keystrokeAllocations));

  const auto median = [&](const char* name) {
    const auto found = reporter.medians.find(name);
    return found == reporter.medians.end() ? 0.0 : found->second;
  };
  const double idle = median("idlePass");
  const double floor = median("floorPass");
  if (idle == 0.0 || floor == 0.0) {
    std::printf("idle pass or floor not measured (filtered out?)\n");
    return 1;
  }
  std::printf("idle pass: %.1f ns, floor: %.1f ns\n", idle, floor);
  std::printf("keystroke: %.2f ns (its tick read alone: %.2f ns)\n", median("keystroke"),
              median("tickRead"));
  std::printf("idle pass / floor: %.2f\n", idle / floor);
  return passAllocations == 0 && keystrokeAllocations == 0 ? 0 : 1;
}
