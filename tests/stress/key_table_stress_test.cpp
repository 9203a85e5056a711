// Keystrokes from one thread as fast as it can deliver them, queries or whole
// passes on another. Under ThreadSanitizer any race fails the run; in every build
// the invariants below must stay true although a query may see fields of two
// events.
// A write outside the key table is caught under AddressSanitizer (the table is a
// global with guard zones around it); elsewhere the tick count shows that codes
// of 255 and above were turned away before anything was stored.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "input/key_state.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

constexpr DWORD kOther = 0x41;
// Codes without a record, two of them a binding's key plus 256.
constexpr std::array<DWORD, 5> kBadCodes = {255, 256, kStealthKey + 256, kFollowUpKey + 256,
                                            0xFFFFFFFF};
// The writer goes on until it has delivered kEvents and the other thread has done
// kRounds rounds of queries or passes, and, for the queries, until kReports
// releases were reported: where the threads take turns on one core rather than
// run side by side, that takes many turns.
constexpr std::uint64_t kEvents = 200'000;
constexpr std::uint64_t kRounds = 20'000;
constexpr std::uint64_t kReports = 200;
constexpr auto kTimeLimit = std::chrono::seconds(20);

// The writer's events, in a cycle of 1024: the stealth and follow-up keys are
// released once each and pressed once each, so the reader asks many times for every
// release there is to report. Between them come the hold key, codes without a record
// (two of them those keys plus 256) released, and another key.
struct Writer {
  std::uint64_t stealthReleases = 0;
  std::uint64_t followUpReleases = 0;
  std::uint64_t recordedEvents = 0;  // of codes with a record, each reading the tick once

  void deliver(std::uint64_t i) {
    const std::uint64_t slot = i % 1024;
    DWORD key = kOther;
    BOOL transition = (i / 16) % 3 == 0 ? -1 : 0;
    if (slot == 0) {
      key = kStealthKey;
      transition = static_cast<BOOL>(1 + (i & 0x7F));  // any non-zero transition is a release
      ++stealthReleases;
    } else if (slot == 512) {
      key = kFollowUpKey;
      transition = static_cast<BOOL>(0x80000000u);
      ++followUpReleases;
    } else if (slot == 384 || slot == 896) {
      key = slot == 384 ? kStealthKey : kFollowUpKey;
      transition = 0;
    } else if (slot % 4 == 1) {
      key = kHoldKey;
    } else if (slot % 2 == 1) {
      key = kBadCodes[i % kBadCodes.size()];
      transition = 1;
    }
    if (key < kKeyCount) ++recordedEvents;
    standin::deliverKeystroke({.key = key,
                               .contextCode = static_cast<BOOL>(i),
                               .previousState = static_cast<BOOL>(i >> 8),
                               .transitionState = transition});
  }
};

// The call log is a vector for one thread: off in these tests. Ticks are still
// counted.
using KeyTableStressTest = LoadedPluginTest;

TEST_F(KeyTableStressTest, EachReleaseIsReportedAtMostOnceAndCodesWithoutARecordNeverAct) {
  standin::setLogging(false);
  Writer writer;
  std::atomic<bool> done{false};
  std::atomic<std::uint64_t> rounds{0};
  std::atomic<std::uint64_t> reports{0};
  std::uint64_t stealthReports = 0, followUpReports = 0, badActs = 0, queriesReadingTheTick = 0;
  std::thread reader([&] {
    const auto askAll = [&] {
      if (keyJustReleased(kStealthKey)) ++stealthReports;
      if (keyJustReleased(kFollowUpKey)) ++followUpReports;
      keyHeld(kHoldKey);
      queriesReadingTheTick += 3;
      for (DWORD bad : kBadCodes) {
        if (keyJustReleased(bad) || keyHeld(bad)) ++badActs;
      }
    };
    while (!done.load(std::memory_order_acquire)) {
      askAll();
      rounds.fetch_add(1, std::memory_order_relaxed);
      reports.store(stealthReports + followUpReports, std::memory_order_relaxed);
    }
    askAll();  // whatever the last events left
  });
  const auto start = std::chrono::steady_clock::now();
  for (std::uint64_t i = 0; i < kEvents || rounds.load(std::memory_order_relaxed) < kRounds ||
                            reports.load(std::memory_order_relaxed) < kReports;
       ++i) {
    writer.deliver(i);
    if (i % 4096 == 0 && std::chrono::steady_clock::now() - start > kTimeLimit) break;
  }
  done.store(true, std::memory_order_release);
  reader.join();

  EXPECT_LE(stealthReports, writer.stealthReleases);
  EXPECT_LE(followUpReports, writer.followUpReleases);
  EXPECT_GE(stealthReports + followUpReports, kReports)
      << "the threads hardly overlapped: too little was tested";
  EXPECT_EQ(badActs, 0u);
  EXPECT_EQ(standin::tickReads(), writer.recordedEvents + queriesReadingTheTick)
      << "a code without a record read the tick, or a call read it twice";
  for (DWORD key = 0; key < kKeyCount; ++key) {
    if (key == kStealthKey || key == kFollowUpKey || key == kHoldKey || key == kOther) continue;
    EXPECT_EQ(fieldsOf(key), Fields{}) << "record " << key << " written";
  }
}

TEST_F(KeyTableStressTest, WholePassesRunWhileKeystrokesArriveOnAnotherThread) {
  standin::setLogging(false);
  Writer writer;
  std::atomic<bool> done{false};
  std::atomic<std::uint64_t> passes{0};
  std::thread script([&] {
    while (!done.load(std::memory_order_acquire)) {
      ASSERT_TRUE(standin::runPass());
      passes.fetch_add(1, std::memory_order_relaxed);
      standin::advanceTick(1);
    }
  });
  for (std::uint64_t i = 0; i < kEvents || passes.load(std::memory_order_relaxed) < kRounds; ++i) {
    writer.deliver(i);
  }
  done.store(true, std::memory_order_release);
  script.join();

  EXPECT_EQ(standin::tickReads(), writer.recordedEvents + 3 * passes.load());
}

}  // namespace
}  // namespace keyrelay_test
