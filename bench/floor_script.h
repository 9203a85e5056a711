// The floor an idle pass is measured against: a script that makes exactly the
// host calls an idle pass makes, in the same order, with none of the plugin's
// logic between them.
#pragma once

namespace keyrelay_bench {

// Registers the floor script with the stand-in host, in place of any other.
void registerFloorScript();

}  // namespace keyrelay_bench
