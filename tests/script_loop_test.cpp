// The script loop: what each pass calls, for each binding and their mix.
#include <gtest/gtest.h>

#include "script/script_loop.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using standin::Op;
using Natives = std::vector<NativeCall>;

constexpr DWORD kX = 0x58;
constexpr DWORD kC = 0x43;
constexpr DWORD kCtrl = 0x11;

using ScriptLoopTest = LoadedPluginTest;

TEST_F(ScriptLoopTest, TheBindingsAreXCAndCtrl) {
  EXPECT_EQ(kStealthKey, kX);
  EXPECT_EQ(kFollowUpKey, kC);
  EXPECT_EQ(kHoldKey, kCtrl);
}

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

TEST_F(ScriptLoopTest, AnUntouchedCtrlIsNotHeldInTheFirstSecondsAfterBoot) {
  standin::setTick(0);
  EXPECT_EQ(pass(), Natives{subjectCall()});
  standin::setTick(4999);
  EXPECT_EQ(pass(), Natives{subjectCall()});
}

TEST_F(ScriptLoopTest, ReleasingXCallsStealthOnceInTheNextPass) {
  releaseAt(1'000'000, kX);
  standin::setTick(1'000'099);
  EXPECT_EQ(pass(), (Natives{subjectCall(), stealthCall(7)}));
  EXPECT_EQ(pass(), Natives{subjectCall()});
}

TEST_F(ScriptLoopTest, AnXReleaseNoPassSeesWithin100MsDoesNothing) {
  releaseAt(1'000'000, kX);
  standin::setTick(1'000'100);
  EXPECT_EQ(pass(), Natives{subjectCall()});
}

TEST_F(ScriptLoopTest, ReleasingCCallsStealthThenFollowUpWithTheSameSubject) {
  standin::setSubject(42);
  deliver(standin::release(kC));
  EXPECT_EQ(pass(), (Natives{subjectCall(), stealthCall(42), followUpCall(42)}));
  EXPECT_EQ(pass(), Natives{subjectCall()});
}

TEST_F(ScriptLoopTest, CtrlHeldCallsHoldInEveryPassUntilItsRelease) {
  deliver(standin::press(kCtrl));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pass(), (Natives{subjectCall(), holdCall(7)}));
    standin::advanceTick(16);
  }
  deliver(standin::release(kCtrl));
  EXPECT_EQ(pass(), Natives{subjectCall()}) << "the release of Ctrl triggers nothing";
}

TEST_F(ScriptLoopTest, CtrlHeldWithoutAutoRepeatStopsActing5000MsAfterThePress) {
  pressAt(1'000'000, kCtrl);
  standin::setTick(1'004'999);
  EXPECT_EQ(pass(), (Natives{subjectCall(), holdCall(7)}));
  standin::setTick(1'005'000);
  EXPECT_EQ(pass(), Natives{subjectCall()});
}

TEST_F(ScriptLoopTest, AllThreeBindingsActInOnePassInTheirOrder) {
  deliver(standin::press(kCtrl));
  deliver(standin::release(kC));
  deliver(standin::release(kX));
  EXPECT_EQ(pass(),
            (Natives{subjectCall(), stealthCall(7), stealthCall(7), followUpCall(7), holdCall(7)}));
}

TEST_F(ScriptLoopTest, ANegativeSubjectIsZeroFilledForStealthAndFollowUpAndSignExtendedForHold) {
  standin::setSubject(-1);
  deliver(standin::press(kCtrl));
  deliver(standin::release(kC));
  const UINT64 text = reinterpret_cast<UINT64>(kStealthText);
  EXPECT_EQ(pass(), (Natives{subjectCall(),
                             {kStealthNative, {0x00000000FFFFFFFFu, text}, true},
                             {kFollowUpNative, {0x00000000FFFFFFFFu, 1, 0, 0}, true},
                             {kHoldNative, {0xFFFFFFFFFFFFFFFFu}, true}}));
}

TEST_F(ScriptLoopTest, TheSubjectIsReadFromTheLow32BitsAndFetchedAfreshEveryPass) {
  standin::setSubject(0x12345678);
  deliver(standin::release(kX));
  EXPECT_EQ(pass(), (Natives{subjectCall(), stealthCall(0x12345678)}));
  standin::setSubject(9);
  deliver(standin::release(kX));
  EXPECT_EQ(pass(), (Natives{subjectCall(), stealthCall(9)}));
}

TEST_F(ScriptLoopTest, EveryStealthCallPassesTheSameTextAddress) {
  std::vector<UINT64> addresses;
  for (DWORD key : {kX, kC, kX}) {
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
  deliver(standin::release(kX));
  standin::deliverKeystroke(standin::press(kCtrl));
  EXPECT_EQ(ops(standin::calls()), (std::vector<Op>{Op::kGetTickCount, Op::kGetTickCount}));
}

}  // namespace
}  // namespace keyrelay_test
