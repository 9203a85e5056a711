#include "tests/plugin_fixture.h"

#include <ostream>

namespace keyrelay_test {

using standin::HostCall;
using standin::Op;

std::vector<NativeCall> nativeCalls(const std::vector<HostCall>& calls) {
  std::vector<NativeCall> natives;
  bool open = false;
  for (const HostCall& call : calls) {
    switch (call.op) {
      case Op::kNativeInit:
        EXPECT_FALSE(open) << "a native begun before the last one was called";
        natives.push_back(NativeCall{call.value, {}, call.fromScript});
        open = true;
        break;
      case Op::kNativePush64:
        EXPECT_TRUE(open) << "a push outside a native call";
        if (open) natives.back().slots.push_back(call.value);
        break;
      case Op::kNativeCall:
        EXPECT_TRUE(open) << "a call with no native begun";
        open = false;
        break;
      default:
        EXPECT_FALSE(open) << "another host operation inside a native call";
        break;
    }
  }
  EXPECT_FALSE(open) << "a native begun and never called";
  return natives;
}

std::vector<NativeCall> nativeCalls() { return nativeCalls(standin::calls()); }

std::vector<Op> ops(const std::vector<HostCall>& calls) {
  std::vector<Op> out;
  for (const HostCall& call : calls) out.push_back(call.op);
  return out;
}

void PrintTo(const NativeCall& call, std::ostream* os) {
  *os << std::hex << "native 0x" << call.hash << " (";
  for (UINT64 slot : call.slots) *os << " 0x" << slot;
  *os << " )" << (call.fromScript ? "" : " outside the script") << std::dec;
}

Fields fieldsOf(DWORD key) {
  const KeyRecord& r = keyTable[key];
  return {r.tick.load(), r.contextCode.load(), r.previousState.load(), r.transitionState.load(),
          r.hasEvent.load()};
}

void FreshPluginTest::SetUp() {
  standin::reset();
  for (DWORD key = 0; key < kKeyCount; ++key) clearKey(key);
}

void FreshPluginTest::TearDown() {
  standin::unloadPlugin();
  standin::reset();
}

void FreshPluginTest::deliver(const standin::Keystroke& keystroke) {
  // Straight to the handler, so that tests of the table need no loaded plugin.
  onKeystroke(keystroke.key, keystroke.repeatCount, keystroke.scanCode, keystroke.extended,
              keystroke.contextCode, keystroke.previousState, keystroke.transitionState);
}

void FreshPluginTest::pressAt(DWORD tick, DWORD key) {
  standin::setTick(tick);
  deliver(standin::press(key));
}

void FreshPluginTest::releaseAt(DWORD tick, DWORD key) {
  standin::setTick(tick);
  deliver(standin::release(key));
}

void LoadedPluginTest::SetUp() {
  FreshPluginTest::SetUp();
  ASSERT_TRUE(standin::loadPlugin());
  standin::setSubject(7);
  // Well past the first 5 s, so that nothing depends on the boot-time tick.
  standin::setTick(1'000'000);
  standin::clearCalls();
}

std::vector<NativeCall> LoadedPluginTest::pass() {
  standin::clearCalls();
  EXPECT_TRUE(standin::runPass());
  return nativeCalls();
}

NativeCall LoadedPluginTest::subjectCall() { return {kSubjectNative, {}, true}; }

NativeCall LoadedPluginTest::stealthCall(SubjectHandle subject) {
  return {
      kStealthNative, {static_cast<DWORD>(subject), reinterpret_cast<UINT64>(kStealthText)}, true};
}

NativeCall LoadedPluginTest::followUpCall(SubjectHandle subject) {
  return {kFollowUpNative, {static_cast<DWORD>(subject), 1, 0, 0}, true};
}

NativeCall LoadedPluginTest::holdCall(SubjectHandle subject) {
  return {kHoldNative, {static_cast<UINT64>(static_cast<long long>(subject))}, true};
}

}  // namespace keyrelay_test
