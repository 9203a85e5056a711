// A data race on purpose: ThreadSanitizer must report it, or the tsan build does
// not prove anything.
#include <thread>

namespace {

int unguarded = 0;

void bump() {
  for (int i = 0; i < 1000; ++i) unguarded = unguarded + 1;
}

}  // namespace

int main() {
  std::thread other(bump);
  bump();
  other.join();
  return unguarded == 0 ? 1 : 0;
}
