// The sandbox as the plugin's host: the plugin loaded through the stand-in host,
// handed each keystroke, and run for one pass a frame, with the clock it reads
// set to the real clock sampled at each keystroke and at each frame's start, and
// kept until the next. What each step did goes to the display, and to the trace
// and the scenario when they are asked for. One thread.
#pragma once

#include <ostream>
#include <string>

#include "harness/plugin_loader.h"
#include "harness/runner.h"
#include "harness/timeline.h"
#include "harness/trace.h"
#include "host/platform.h"
#include "standin/standin.h"
#include "tools/sandbox/display.h"

namespace sandbox {

class Session {
 public:
  // Loads `plugin`, named by its path in the messages, and sets the subject.
  // `trace` (what keyrelay-replay prints) and `scenario` (the session's steps as a
  // scenario) may be null; they must outlive the session.
  Session(const harness::PluginFile& plugin, Display& display, std::ostream* trace,
          std::ostream* scenario);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Why the session cannot go on, as a line for a person: the module did not
  // load, or it is not the plugin (it registered no script or no keystroke
  // handler as it loaded). Empty when the plugin is loaded and registered.
  const std::string& error() const;
  // Delivers `keystroke` with the clock at `now` (ms).
  void keystroke(DWORD now, const standin::Keystroke& keystroke);
  // Runs one pass with the clock at `now` (ms).
  void frame(DWORD now);
  // Unloads the plugin. False when the trace or the scenario could not be written.
  bool finish();

 private:
  void apply(const harness::Step& step);
  void forwardAndForget();

  Display& display_;
  std::ostream* trace_;
  std::ostream* scenario_;
  harness::Runner runner_;
  harness::TracePrinter printer_;
  std::string error_;
};

}  // namespace sandbox
