// Calling a native: the protocol with the host and the packing of slots.
#include <gtest/gtest.h>

#include "script/natives.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using standin::Op;

// A wrong widening or an unpacked argument must not compile.
template <typename T>
concept ZeroFillable = requires(T v) { zeroFilled(v); };
template <typename T>
concept SignExtendable = requires(T v) { signExtended(v); };
template <typename T>
concept TextAddressable = requires(T v) { textAddress(v); };
template <typename... Args>
concept CallableWith = requires(Args... args) { callNative(kHoldNative, args...); };

static_assert(ZeroFillable<INT32> && ZeroFillable<DWORD>);
static_assert(!ZeroFillable<long long> && !ZeroFillable<UINT64> && !ZeroFillable<short> &&
              !ZeroFillable<bool> && !ZeroFillable<const char*>);
static_assert(SignExtendable<INT32>);
static_assert(!SignExtendable<DWORD> && !SignExtendable<long long> && !SignExtendable<UINT64>);
static_assert(TextAddressable<const char*> && !TextAddressable<UINT64> && !TextAddressable<INT32>);
static_assert(CallableWith<> && CallableWith<Slot> && CallableWith<Slot, Slot, Slot, Slot>);
static_assert(!CallableWith<INT32> && !CallableWith<UINT64> && !CallableWith<Slot, int>);

TEST(SlotPackingTest, ZeroFillingKeepsTheLow32BitsAndClearsTheHighHalf) {
  EXPECT_EQ(zeroFilled(INT32{-1}).bits, 0x00000000FFFFFFFFu);
  EXPECT_EQ(zeroFilled(INT32{-2147483647 - 1}).bits, 0x0000000080000000u);
  EXPECT_EQ(zeroFilled(DWORD{0xFFFFFFFF}).bits, 0x00000000FFFFFFFFu);
  EXPECT_EQ(zeroFilled(7).bits, 7u);
}

TEST(SlotPackingTest, SignExtensionCopiesTheSignIntoTheHighHalf) {
  EXPECT_EQ(signExtended(INT32{-1}).bits, 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(signExtended(INT32{-2147483647 - 1}).bits, 0xFFFFFFFF80000000u);
  EXPECT_EQ(signExtended(INT32{2147483647}).bits, 0x000000007FFFFFFFu);
}

TEST(SlotPackingTest, TheTextIsPassedByTheAddressOfItsFirstCharacter) {
  EXPECT_EQ(textAddress(kStealthText).bits, reinterpret_cast<UINT64>(&kStealthText[0]));
  EXPECT_STREQ(kStealthText, "stealth");
  EXPECT_EQ(sizeof kStealthText, 8u);
}

class NativeCallTest : public UnloadedPluginTest {};

TEST_F(NativeCallTest, ANativeWithoutArgumentsIsBegunAndCalledWithNoPush) {
  callNative(kSubjectNative);
  EXPECT_EQ(ops(standin::calls()), (std::vector<Op>{Op::kNativeInit, Op::kNativeCall}));
  EXPECT_EQ(standin::calls()[0].value, kSubjectNative);
}

TEST_F(NativeCallTest, SlotsArePushedFirstArgumentFirst) {
  callNative(kFollowUpNative, zeroFilled(INT32{-1}), zeroFilled(1), zeroFilled(0), zeroFilled(0));
  EXPECT_EQ(nativeCalls(), (std::vector<NativeCall>{{.hash = kFollowUpNative,
                                                     .slots = {0xFFFFFFFFu, 1, 0, 0},
                                                     .result = standin::kResultNoise,
                                                     .called = true}}));
}

TEST_F(NativeCallTest, TheResultIsTheHostsResultSlot) {
  standin::setSubject(-5);
  const UINT64* result = callNative(kSubjectNative);
  EXPECT_EQ(*result, standin::kResultNoise | 0xFFFFFFFBu);
  EXPECT_EQ(*result, standin::calls().back().value);
}

}  // namespace
}  // namespace keyrelay_test
