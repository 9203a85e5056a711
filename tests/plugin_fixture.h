// Test controls over the plugin and the stand-in host: a reset host and an empty
// key-state table for every test, and the logged calls read back as natives.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "harness/native_calls.h"
#include "harness/plugin_loader.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"
#include "standin/standin.h"

namespace keyrelay_test {

using harness::NativeCall;

// The plugin the suites load: linked into them, so no file is read.
inline const harness::PluginFile kLinkedPlugin{};

// The natives among `calls`. A push or call outside a begun native, or a native
// not called before the next host call, fails the test.
std::vector<NativeCall> nativeCalls(const std::vector<standin::HostCall>& calls);
std::vector<NativeCall> nativeCalls();

// The operations among `calls`, in order.
std::vector<standin::Op> ops(const std::vector<standin::HostCall>& calls);

// A key's record as it stands; all zero when empty.
struct Fields {
  DWORD tick;
  BOOL contextCode, previousState, transitionState;
  DWORD hasEvent;
  friend bool operator==(const Fields&, const Fields&) = default;
};
Fields fieldsOf(DWORD key);

// Every test starts with the plugin not loaded: nothing registered, tick 0, and
// every key record empty. The keystroke handler can be called directly.
class UnloadedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void deliver(const standin::Keystroke& keystroke);
  static void pressAt(DWORD tick, DWORD key);
  static void releaseAt(DWORD tick, DWORD key);
};

// Then the plugin loaded (startLoaded, tests/test_start.h): the clock at
// kStartTick, subject kStartSubject, the call log cleared of the load's calls.
class LoadedPluginTest : public UnloadedPluginTest {
 protected:
  void SetUp() override;

  // Runs one pass and returns the natives it called.
  static std::vector<NativeCall> pass();
};

}  // namespace keyrelay_test

namespace harness {
// A native call in a test's message, as a trace shows it.
void PrintTo(const NativeCall& call, std::ostream* os);
}  // namespace harness
