#include "tests/plugin_fixture.h"

#include <ostream>

#include "harness/trace.h"
#include "tests/test_start.h"

namespace keyrelay_test {

using standin::HostCall;
using standin::Op;

std::vector<NativeCall> nativeCalls(const std::vector<HostCall>& calls) {
  std::vector<NativeCall> natives;
  for (const harness::CallGroup& group : harness::groupNativeCalls(calls)) {
    if (const auto* native = std::get_if<harness::NativeCall>(&group)) {
      EXPECT_TRUE(native->called) << "a native begun and not called before the next host call";
      natives.push_back(*native);
      continue;
    }
    const Op op = std::get<HostCall>(group).op;
    EXPECT_TRUE(op != Op::kNativePush64 && op != Op::kNativeCall)
        << standin::opName(op) << " with no native begun";
  }
  return natives;
}

std::vector<NativeCall> nativeCalls() { return nativeCalls(standin::calls()); }

std::vector<Op> ops(const std::vector<HostCall>& calls) {
  std::vector<Op> out;
  for (const HostCall& call : calls) out.push_back(call.op);
  return out;
}

Fields fieldsOf(DWORD key) {
  const KeyRecord& r = keyTable[key];
  return {r.tick.load(), r.contextCode.load(), r.previousState.load(), r.transitionState.load(),
          r.hasEvent.load()};
}

void UnloadedPluginTest::SetUp() {
  standin::reset();
  for (DWORD key = 0; key < kKeyCount; ++key) clearKey(key);
}

void UnloadedPluginTest::TearDown() {
  harness::unloadPlugin();
  standin::reset();
}

void UnloadedPluginTest::deliver(const standin::Keystroke& keystroke) {
  // Straight to the handler, so that tests of the table need no loaded plugin.
  onKeystroke(keystroke.key, keystroke.repeatCount, keystroke.scanCode, keystroke.extended,
              keystroke.contextCode, keystroke.previousState, keystroke.transitionState);
}

void UnloadedPluginTest::pressAt(DWORD tick, DWORD key) {
  standin::setTick(tick);
  deliver(standin::press(key));
}

void UnloadedPluginTest::releaseAt(DWORD tick, DWORD key) {
  standin::setTick(tick);
  deliver(standin::release(key));
}

void LoadedPluginTest::SetUp() {
  UnloadedPluginTest::SetUp();
  ASSERT_TRUE(startLoaded(kLinkedPlugin));
}

std::vector<NativeCall> LoadedPluginTest::pass() {
  standin::clearCalls();
  EXPECT_TRUE(standin::runPass());
  return nativeCalls();
}

}  // namespace keyrelay_test

void harness::PrintTo(const NativeCall& call, std::ostream* os) { *os << nativeText(call); }
