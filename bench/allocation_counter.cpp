#include "bench/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace keyrelay_bench {
namespace {

std::atomic<std::uint64_t> count{0};

void* allocate(std::size_t bytes, std::size_t alignment) {
  count.fetch_add(1, std::memory_order_relaxed);
  if (bytes == 0) bytes = 1;
  void* p = alignment > alignof(std::max_align_t)
                ? std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment)
                : std::malloc(bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

std::uint64_t allocations() { return count.load(std::memory_order_relaxed); }

}  // namespace keyrelay_bench

// The two allocating forms: the C++ library's array, nothrow and sized forms
// call these.
void* operator new(std::size_t bytes) { return keyrelay_bench::allocate(bytes, 0); }
void* operator new(std::size_t bytes, std::align_val_t a) {
  return keyrelay_bench::allocate(bytes, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
