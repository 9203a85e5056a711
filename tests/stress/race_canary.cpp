// A data race on purpose: ThreadSanitizer must report it, or the tsan build does
// not prove anything.
//
// The two writes are made while both threads live, one after the other, ordered
// only by relaxed atomics, which give no happens-before; volatile and the signal
// fences keep the optimizer from merging, dropping or moving them. The variable
// and the atomic lie in 8-byte granules of their own: ThreadSanitizer keeps four
// accesses per granule, and a spin's loads of a neighbour could push the first
// write out before the second is checked against it. Racing loops that merely
// may overlap went unreported in one run of three (g++) to eight (clang).
#include <atomic>
#include <thread>

namespace {

alignas(8) volatile int unguarded = 0;
alignas(8) std::atomic<int> stage{0};

void awaitStage(int wanted) {
  while (stage.load(std::memory_order_relaxed) != wanted) std::this_thread::yield();
}

void writeUnguarded(int value, int nextStage) {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  unguarded = value;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  stage.store(nextStage, std::memory_order_relaxed);
}

void other() {
  writeUnguarded(1, 1);
  awaitStage(2);
}

}  // namespace

int main() {
  std::thread thread(other);
  awaitStage(1);
  writeUnguarded(2, 2);
  thread.join();
  return 0;
}
