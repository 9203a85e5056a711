// The script loop: the host calls of a pass, the text it passes and what a
// keystroke costs. What each binding calls, alone and mixed, is pinned by
// tests/scenarios/bindings.trace.
#include <gtest/gtest.h>

#include "script/script_loop.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using standin::Op;

using ScriptLoopTest = LoadedPluginTest;

TEST_F(ScriptLoopTest, AnIdlePassFetchesTheSubjectReadsTheTickThriceAndHandsBack) {
  for (int i = 0; i < 3; ++i) {
    standin::clearCalls();
    ASSERT_TRUE(standin::runPass());
    EXPECT_EQ(ops(standin::calls()),
              (std::vector<Op>{Op::kNativeInit, Op::kNativeCall, Op::kGetTickCount,
                               Op::kGetTickCount, Op::kGetTickCount, Op::kScriptWait}));
    EXPECT_EQ(standin::calls().back().value, 0u) << "scriptWait(0)";
    for (const standin::HostCall& call : standin::calls()) EXPECT_TRUE(call.fromScript);
  }
}

TEST_F(ScriptLoopTest, EveryStealthCallPassesTheSameTextAddress) {
  std::vector<UINT64> addresses;
  for (DWORD key : {kStealthKey, kFollowUpKey, kStealthKey}) {
    deliver(standin::release(key));
    for (const NativeCall& call : pass()) {
      if (call.hash == kStealthNative) addresses.push_back(call.slots.at(1));
    }
  }
  ASSERT_EQ(addresses.size(), 3u);
  EXPECT_EQ(addresses[0], addresses[1]);
  EXPECT_EQ(addresses[1], addresses[2]);
  EXPECT_STREQ(reinterpret_cast<const char*>(addresses[0]), "stealth");
}

TEST_F(ScriptLoopTest, KeystrokesCallNoHostOperationButTheTick) {
  deliver(standin::release(kStealthKey));
  standin::deliverKeystroke(standin::press(kHoldKey));
  EXPECT_EQ(ops(standin::calls()), (std::vector<Op>{Op::kGetTickCount, Op::kGetTickCount}));
}

}  // namespace
}  // namespace keyrelay_test
