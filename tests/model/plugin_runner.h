// Runs timelines through the plugin, loaded in the stand-in host, and holds what
// it did against the model.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/replay/timeline.h"

namespace keyrelay_model {

// Owns the process's one stand-in host while it lives, and runs any number of
// timelines through the plugin, each from what a fresh load gives it.
class PluginRunner {
 public:
  PluginRunner();
  ~PluginRunner();
  PluginRunner(const PluginRunner&) = delete;
  PluginRunner& operator=(const PluginRunner&) = delete;

  // Where the plugin's host calls during the timeline first depart from the
  // model's, told for a person; nothing when they are equal.
  std::optional<std::string> mismatch(const replay::Timeline& timeline);
};

// The length of the shortest prefix of `timeline` for which `fails` holds; the
// whole length when only the whole fails.
std::size_t shortestFailingPrefix(const replay::Timeline& timeline,
                                  const std::function<bool(const replay::Timeline&)>& fails);

// The report of a timeline on which the plugin and the model disagree: the seed,
// the shortest failing prefix as a scenario for keyrelay-replay, and the first
// difference in it.
std::string failureReport(PluginRunner& runner, const std::string& origin,
                          const replay::Timeline& timeline);

// The random timelines of seeds firstSeed to firstSeed + count - 1, each held
// against the model: the failure report of the first that fails, or nothing.
// Adds the steps run to `steps`.
std::optional<std::string> runRandomTimelines(PluginRunner& runner, std::uint64_t firstSeed,
                                              std::uint64_t count, std::uint64_t& steps);

// Sets `value` to the number in the environment variable `name` (decimal, or
// hexadecimal after 0x), leaving it as it is when the variable is unset or empty.
// False when it is not such a number.
bool numberFromEnvironment(const char* name, std::uint64_t& value);

}  // namespace keyrelay_model
