// The key-state table: what the handler stores and what the two queries answer.
// What the bindings make of the windows, at their edges and across the wrap of the
// tick, is pinned by the scenarios in tests/scenarios/ and their traces.
#include <gtest/gtest.h>

#include "input/key_state.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using KeyStateTest = UnloadedPluginTest;

TEST_F(KeyStateTest, AnEventIsStampedWithTheTickOfHandlingAndItsFlagsAreKeptUnchanged) {
  standin::setTick(1234);
  deliver({.key = kX,
           .repeatCount = 9,
           .scanCode = 0x2D,
           .extended = 1,
           .contextCode = -1,
           .previousState = 2,
           .transitionState = static_cast<BOOL>(0x80000000u)});
  EXPECT_EQ(fieldsOf(kX), (Fields{1234, -1, 2, static_cast<BOOL>(0x80000000u), 1}));
  EXPECT_EQ(standin::tickReads(), 1u);
}

TEST_F(KeyStateTest, KeyCodesOf255AndAboveReadNoTickAndChangeNothing) {
  for (DWORD key : {255u, 256u, 0x158u, 0xFFFFFFFFu}) {
    deliver(standin::release(key));
    EXPECT_FALSE(keyJustReleased(key)) << key;
    EXPECT_FALSE(keyHeld(key)) << key;
    clearKey(key);
  }
  EXPECT_EQ(standin::tickReads(), 0u);
  // 0x158 must not alias X (0x58).
  for (DWORD key = 0; key < kKeyCount; ++key) EXPECT_EQ(fieldsOf(key), Fields{}) << key;
}

TEST_F(KeyStateTest, TheLastKeyWithARecordIs254) {
  releaseAt(500, 254);
  EXPECT_TRUE(keyJustReleased(254));
}

TEST_F(KeyStateTest, AReleaseIsReportedWithin99MsAndThenNeverAgain) {
  releaseAt(1000, kX);
  standin::setTick(1099);
  EXPECT_TRUE(keyJustReleased(kX));
  EXPECT_EQ(fieldsOf(kX), Fields{});
  EXPECT_FALSE(keyJustReleased(kX));
}

TEST_F(KeyStateTest, AReleaseFirstAskedAbout100MsLateIsNotReportedNorCleared) {
  releaseAt(1000, kX);
  const Fields stored = fieldsOf(kX);
  standin::setTick(1100);
  EXPECT_FALSE(keyJustReleased(kX));
  EXPECT_EQ(fieldsOf(kX), stored);
}

TEST_F(KeyStateTest, APressWithin100MsOfAReleaseReplacesIt) {
  releaseAt(1000, kX);
  pressAt(1050, kX);
  EXPECT_FALSE(keyJustReleased(kX));
  EXPECT_TRUE(keyHeld(kX));
}

TEST_F(KeyStateTest, APressIsHeldFor4999MsButNot5000) {
  pressAt(20'000, kCtrl);
  standin::setTick(24'999);
  EXPECT_TRUE(keyHeld(kCtrl));
  standin::setTick(25'000);
  EXPECT_FALSE(keyHeld(kCtrl));
  EXPECT_EQ(fieldsOf(kCtrl).hasEvent, 1u) << "the hold query never changes the record";
}

TEST_F(KeyStateTest, AnyNonZeroTransitionIsARelease) {
  for (BOOL transition : {1, 2, -1, static_cast<BOOL>(0x80000000u)}) {
    standin::setTick(3000);
    deliver({.key = kX, .transitionState = transition});
    EXPECT_FALSE(keyHeld(kX)) << transition;
    EXPECT_TRUE(keyJustReleased(kX)) << transition;
  }
}

TEST_F(KeyStateTest, ARecordClearedByTheReleaseQueryIsNotHeld) {
  releaseAt(10, kCtrl);
  EXPECT_TRUE(keyJustReleased(kCtrl));
  standin::setTick(11);
  EXPECT_FALSE(keyHeld(kCtrl));
}

TEST_F(KeyStateTest, EachQueryReadsTheTickOnceAndTheHandlerOnce) {
  deliver(standin::press(kCtrl));
  keyHeld(kCtrl);
  keyJustReleased(kX);
  EXPECT_EQ(standin::tickReads(), 3u);
}

}  // namespace
}  // namespace keyrelay_test
