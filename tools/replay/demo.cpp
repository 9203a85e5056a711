#include "tools/replay/demo.h"

namespace replay {

const std::string_view kDemoScenario =
    R"(# keyrelay demo: every binding, then the window edges and the tick wrap.
tick 100000
subject 7
pass                  # nothing pressed: the subject alone

release X             # X released: stealth
advance 16
pass
pass                  # reported once only

release C             # C released: stealth, then follow-up
pass

press CTRL            # Ctrl held: hold in every pass...
pass 3 every 16
press CTRL previous=1 # ...renewed by each auto-repeat...
release X             # (X released while Ctrl is held: stealth, then hold)
pass
release CTRL          # ...and over at its release
pass

press CTRL
advance 5000          # a press 5000 ms old is no longer held
pass

release X
advance 100           # a release first seen 100 ms late does nothing
pass

subject -1            # a negative subject: zero-filled for stealth and
release C             # follow-up, sign-extended for hold
press CTRL
pass

release CTRL
tick 0xFFFFFFC0       # 64 ms before the tick counter wraps
release X
advance 80            # seen 80 ms later, after the wrap: still acts
pass
)";

}  // namespace replay
