// Bands made ahead on a second thread: in order, one at a time, never over
// a band still held; a failure in its band's place and nothing made after
// it; an end that stays ended; a taker that leaves early stops the thread.
#include "convert/bands_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace morvexa {
namespace {

constexpr std::size_t kSlots = 4;

// Bands numbered from 0, each holding its number and its square; make fails
// (or finish, when failInFinish) at band failAt, and there are `count`.
struct Numbered {
  std::size_t count = 0, failAt = SIZE_MAX;
  bool failInFinish = false;
  std::size_t number[kSlots] = {}, square[kSlots] = {};
  std::atomic<std::size_t> made{0};
  std::atomic<int> making{0};
  std::atomic<bool> overlapped{false};

  bool Make(std::size_t slot) {
    if (making.fetch_add(1) != 0) overlapped = true;
    const std::size_t band = made++;
    making.fetch_sub(1);
    if (band == failAt && !failInFinish) throw std::runtime_error("band " + std::to_string(band));
    number[slot] = band;
    return band < count;
  }
  void Finish(std::size_t slot) {
    if (number[slot] == failAt && failInFinish) throw std::runtime_error("band " + std::to_string(failAt));
    square[slot] = number[slot] * number[slot];
  }
  BandsAhead::Make MakeStep() {
    return [this](std::size_t slot) { return Make(slot); };
  }
  BandsAhead::Finish FinishStep() {
    return [this](std::size_t slot) { Finish(slot); };
  }
};

TEST(BandsAhead, EveryBandInOrderAndUntouchedWhileHeld) {
  Numbered bands;
  bands.count = 20000;
  BandsAhead ahead(kSlots, bands.MakeStep(), bands.FinishStep());
  std::size_t expected = 0;
  while (const auto slot = ahead.Next()) {
    ASSERT_LT(*slot, kSlots);
    ASSERT_EQ(bands.number[*slot], expected);
    ASSERT_EQ(bands.square[*slot], expected * expected);
    // Work while holding the band: the other thread must not reuse its slot.
    volatile std::size_t spin = 0;
    for (int i = 0; i < 200; ++i) spin = spin + i;
    ASSERT_EQ(bands.number[*slot], expected) << "a held band was made over";
    ++expected;
  }
  EXPECT_EQ(expected, bands.count);
  EXPECT_FALSE(bands.overlapped) << "two bands were made at once";
  EXPECT_FALSE(ahead.Next()) << "the end stays the end";
  EXPECT_EQ(bands.made, bands.count + 1) << "nothing is made after the end";
}

TEST(BandsAhead, AFailureComesInItsBandsPlaceAndStopsTheMaking) {
  for (const bool inFinish : {false, true}) {
    SCOPED_TRACE(inFinish ? "failing in finish" : "failing in make");
    Numbered bands;
    bands.count = 100000;
    bands.failAt = 777;
    bands.failInFinish = inFinish;
    BandsAhead ahead(kSlots, bands.MakeStep(), bands.FinishStep());
    std::size_t taken = 0;
    try {
      while (ahead.Next()) ++taken;
      FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "band 777");
    }
    EXPECT_EQ(taken, 777u) << "every band before the failing one";
    EXPECT_THROW(ahead.Next(), std::runtime_error) << "and the failure again after";
    EXPECT_LE(bands.made, 777u + kSlots + 1) << "bands were made after the failure";
  }
}

TEST(BandsAhead, AFailedBandEndsTheMakingWhileTheTakerStillHoldsIt) {
  // Many free slots, slow bands, and a finish step that fails at once: the
  // second thread has every reason to run ahead, and must not.
  constexpr std::size_t kManySlots = 16;
  std::atomic<std::size_t> made{0};
  BandsAhead ahead(
      kManySlots,
      [&made](std::size_t) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++made;
        return true;
      },
      [](std::size_t) { throw std::runtime_error("finish"); });
  EXPECT_THROW(ahead.Next(), std::runtime_error);
  const std::size_t whenFailed = made;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_LE(made, whenFailed + 1) << "bands were made after the failure was raised";
}

TEST(BandsAhead, LeavingEarlyStopsTheMaking) {
  for (int i = 0; i < 50; ++i) {
    Numbered bands;
    bands.count = SIZE_MAX;
    {
      BandsAhead ahead(kSlots, bands.MakeStep(), bands.FinishStep());
      ASSERT_TRUE(ahead.Next());
    }
    EXPECT_LE(bands.made, kSlots + 1);
  }
}

TEST(BandsAhead, ATakerAloneMakesItsOwnBands) {
  // With no finish step and one slot the second thread can never run ahead
  // of the taker by more than the band it makes.
  Numbered bands;
  bands.count = 1000;
  BandsAhead ahead(1, bands.MakeStep());
  std::size_t expected = 0;
  while (const auto slot = ahead.Next()) ASSERT_EQ(bands.number[*slot], expected++);
  EXPECT_EQ(expected, 1000u);
}

}  // namespace
}  // namespace morvexa
