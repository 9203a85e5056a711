#include "tools/sandbox/session.h"

#include "standin/plugin_module.h"
#include "tools/replay/scenario.h"

namespace sandbox {

Session::Session(Display& display, std::ostream* trace, std::ostream* recording)
    : display_(display), trace_(trace), recording_(recording) {
  standin::reset();
  loaded_ = standin::loadPlugin();
  standin::clearCalls();
}

bool Session::loaded() const { return loaded_; }

void Session::keystroke(DWORD now, const standin::Keystroke& keystroke) {
  standin::setTick(now);
  standin::deliverKeystroke(keystroke);
  if (recording_ != nullptr)
    *recording_ << "tick " << now << "\n" << replay::keystrokeLine(keystroke);
  if (trace_ != nullptr) *trace_ << replay::keystrokeLine(keystroke);
  display_.keystroke(keystroke, now);
  standin::clearCalls();
}

void Session::frame(DWORD now) {
  standin::setTick(now);
  standin::runPass();
  if (recording_ != nullptr) *recording_ << "tick " << now << "\npass\n";
  display_.frame(++frames_, now, standin::calls());
  standin::clearCalls();
}

bool Session::finish() {
  standin::unloadPlugin();
  return true;
}

}  // namespace sandbox
