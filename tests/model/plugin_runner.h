// Runs timelines through the plugin, loaded in the stand-in host, and checks what
// it did against the model.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harness/plugin_loader.h"
#include "harness/timeline.h"

namespace keyrelay_model {

// Owns the process's one stand-in host while it lives, and runs any number of
// timelines through `plugin`, each from what a new load gives it (reloadPlugin).
class PluginRunner {
 public:
  explicit PluginRunner(harness::PluginFile plugin);
  ~PluginRunner();
  PluginRunner(const PluginRunner&) = delete;
  PluginRunner& operator=(const PluginRunner&) = delete;

  // Where the plugin's host calls during the timeline first depart from the
  // model's, told for a person; nothing when they are equal.
  std::optional<std::string> mismatch(const harness::Timeline& timeline);

 private:
  harness::PluginFile plugin_;
};

// The length of the shortest prefix of `timeline` for which `fails` holds; the
// whole length when only the whole fails.
std::size_t shortestFailingPrefix(const harness::Timeline& timeline,
                                  const std::function<bool(const harness::Timeline&)>& fails);

// The report of a timeline on which the plugin and the model disagree: the seed,
// the shortest failing prefix as a scenario for keyrelay-replay, and the first
// difference in it.
std::string failureReport(PluginRunner& runner, const std::string& origin,
                          const harness::Timeline& timeline);

// Runs the random timelines of $KEYRELAY_TIMELINES seeds (`count` when it is
// unset) from $KEYRELAY_SEED (kDefaultSeed when unset) through `plugin`, each
// checked against the model, and prints what ran, or on standard error the failure
// report of the first that failed. Returns 0 when all agreed, 1 when one did not,
// 2 when a variable is not a number (harness/number.h) or asks for no timelines.
int runRandomTimelines(std::uint64_t count, const harness::PluginFile& plugin);

}  // namespace keyrelay_model
