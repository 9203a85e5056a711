// Drives the plugin through a timeline in the process's one stand-in host, one
// step at a time, and logs each step it applies with what it did: the step log
// that the replay's trace, the model's comparison and the sandbox's display all
// read, beside the stand-in's call log.
//
// Threads: the driving thread only. Memory: the logs grow with every step and
// every host call until forget().
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "harness/plugin_loader.h"
#include "harness/scenario.h"
#include "harness/timeline.h"
#include "standin/standin.h"

namespace harness {

enum class Outcome : unsigned char {
  kDone,
  // Nothing to act on: a keystroke with no handler registered, a pass with no
  // script to run, a load of the loaded plugin, an unload with none loaded.
  kNothingToDo,
  kFailed,  // the plugin did not load
};

// A step as the runner applied it, and what it did; a Passes step is applied
// pass by pass, one for each pass.
struct AppliedStep {
  Step step;
  Outcome outcome = Outcome::kDone;
  std::uint64_t pass = 0;            // a pass's number in the run, from 1; 0 otherwise
  DWORD tick = 0;                    // the clock when a pass began, or after any other step
  unsigned long long tickReads = 0;  // the plugin's tick reads during a pass
  UINT64 module = 0;                 // a load: the module handle the plugin was loaded at
  std::size_t firstCall = 0;         // its host calls: calls()[firstCall, endCall)
  std::size_t endCall = 0;
};

class Runner {
 public:
  enum class Start : unsigned char {
    // Back to a fresh process: the stand-in reset and the plugin loaded, the load
    // logged as the first applied step. finish() unloads it.
    kLoad,
    // The plugin reloaded (reloadPlugin), without logging that, the clock and the
    // subject 0.
    kReloaded,
  };

  // Every load loads `plugin` (harness/plugin_loader.h).
  Runner(Start start, PluginFile plugin);
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  void apply(const Step& step);
  // With kLoad: unloads the plugin if it is loaded, as the last applied step.
  void finish();

  const std::vector<AppliedStep>& appliedSteps() const { return appliedSteps_; }
  // Every host call since the start or the last forget(), in order: the stand-in's
  // call log.
  const std::vector<standin::HostCall>& calls() const { return standin::calls(); }
  // Some load of the plugin failed.
  bool loadFailed() const { return loadFailed_; }
  // Empties the step log and the call log; passes keep counting.
  void forget();

 private:
  AppliedStep& logStep(const Step& step, Outcome outcome);
  void runPasses(const Step& step, const Passes& passes);
  void load(const Step& step);

  Start start_;
  PluginFile plugin_;
  std::vector<AppliedStep> appliedSteps_;
  std::uint64_t passes_ = 0;
  bool loadFailed_ = false;
};

// Replays the scenario from a fresh process, loading `plugin`, writing its trace
// (trace.h) to `out` step by step and pass by pass as it goes: memory does not
// grow with the scenario or the trace. The plugin is loaded first and unloaded at
// the end, if it is still loaded; a faulty line ends the steps there
// (scenario.error() says which). Each expect line is checked once its pass line
// has run; each one unmet is handed to `unmet` as it is found ("line N: expect
// ...: pass P called ...", expectation.h) and the replay goes on. False when some
// load of the plugin failed; the trace says which.
using UnmetExpectation = std::function<void(const std::string& what)>;
bool replayScenario(ScenarioReader& scenario, const PluginFile& plugin, std::ostream& out,
                    const UnmetExpectation& unmet);

}  // namespace harness
