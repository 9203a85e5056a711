// Counts every allocation made through the global operator new, which this
// program replaces.
#pragma once

#include <cstdint>

namespace keyrelay_bench {

std::uint64_t allocations();

}  // namespace keyrelay_bench
