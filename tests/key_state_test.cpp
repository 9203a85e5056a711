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
  deliver({.key = kStealthKey,
           .repeatCount = 9,
           .scanCode = 0x2D,
           .extended = 1,
           .contextCode = -1,
           .previousState = 2,
           .transitionState = static_cast<BOOL>(0x80000000u)});
  EXPECT_EQ(fieldsOf(kStealthKey), (Fields{1234, -1, 2, static_cast<BOOL>(0x80000000u), 1}));
  EXPECT_EQ(standin::tickReads(), 1u);
}

TEST_F(KeyStateTest, KeyCodesOf255AndAboveReadNoTickAndChangeNothing) {
  // A binding's key plus 256 must not alias it.
  for (DWORD key :
       {255u, 256u, kStealthKey + 256, kFollowUpKey + 256, kHoldKey + 256, 0xFFFFFFFFu}) {
    deliver(standin::release(key));
    EXPECT_FALSE(keyJustReleased(key)) << key;
    EXPECT_FALSE(keyHeld(key)) << key;
    clearKey(key);
  }
  EXPECT_EQ(standin::tickReads(), 0u);
  for (DWORD key = 0; key < kKeyCount; ++key) EXPECT_EQ(fieldsOf(key), Fields{}) << key;
}

TEST_F(KeyStateTest, TheLastKeyWithARecordIs254) {
  releaseAt(500, 254);
  EXPECT_TRUE(keyJustReleased(254));
}

TEST_F(KeyStateTest, AReleaseIsReportedInItsWindowAndThenNeverAgain) {
  releaseAt(1000, kStealthKey);
  standin::setTick(1000 + kJustReleasedMs - 1);
  EXPECT_TRUE(keyJustReleased(kStealthKey));
  EXPECT_EQ(fieldsOf(kStealthKey), Fields{});
  EXPECT_FALSE(keyJustReleased(kStealthKey));
}

TEST_F(KeyStateTest, AReleaseFirstAskedAboutAtItsWindowsEndIsNotReportedNorCleared) {
  releaseAt(1000, kStealthKey);
  const Fields stored = fieldsOf(kStealthKey);
  standin::setTick(1000 + kJustReleasedMs);
  EXPECT_FALSE(keyJustReleased(kStealthKey));
  EXPECT_EQ(fieldsOf(kStealthKey), stored);
}

TEST_F(KeyStateTest, APressInAReleasesWindowReplacesIt) {
  releaseAt(1000, kStealthKey);
  pressAt(1000 + kJustReleasedMs / 2, kStealthKey);
  EXPECT_FALSE(keyJustReleased(kStealthKey));
  EXPECT_TRUE(keyHeld(kStealthKey));
}

TEST_F(KeyStateTest, APressIsHeldToTheLastMsOfItsWindow) {
  pressAt(20'000, kHoldKey);
  standin::setTick(20'000 + kHeldMs - 1);
  EXPECT_TRUE(keyHeld(kHoldKey));
  standin::setTick(20'000 + kHeldMs);
  EXPECT_FALSE(keyHeld(kHoldKey));
  EXPECT_EQ(fieldsOf(kHoldKey).hasEvent, 1u) << "the hold query never changes the record";
}

TEST_F(KeyStateTest, AnyNonZeroTransitionIsARelease) {
  for (BOOL transition : {1, 2, -1, static_cast<BOOL>(0x80000000u)}) {
    standin::setTick(3000);
    deliver({.key = kStealthKey, .transitionState = transition});
    EXPECT_FALSE(keyHeld(kStealthKey)) << transition;
    EXPECT_TRUE(keyJustReleased(kStealthKey)) << transition;
  }
}

TEST_F(KeyStateTest, ARecordClearedByTheReleaseQueryIsNotHeld) {
  releaseAt(10, kHoldKey);
  EXPECT_TRUE(keyJustReleased(kHoldKey));
  standin::setTick(11);
  EXPECT_FALSE(keyHeld(kHoldKey));
}

TEST_F(KeyStateTest, EachQueryReadsTheTickOnceAndTheHandlerOnce) {
  deliver(standin::press(kHoldKey));
  keyHeld(kHoldKey);
  keyJustReleased(kStealthKey);
  EXPECT_EQ(standin::tickReads(), 3u);
}

}  // namespace
}  // namespace keyrelay_test
