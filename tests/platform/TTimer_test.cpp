#include "platform/vcl/TTimer.h"

#include <gtest/gtest.h>

#include "platform/vcl/Exception.h"
#include "platform/vcl/TApplication.h"
#include "tests/support/FakeClock.h"

namespace {

using testing_support::FakeClock;
using testing_support::PumpWaiting;

class TTimerTest : public ::testing::Test {
 protected:
  FakeClock clock{0xFFFFFFF0u};
  vcl::TTimer timer{nullptr};
  int fired = 0;

  void Arm(win::UINT interval) {
    timer.SetInterval(interval);
    timer.SetOnTimer([this](vcl::TObject*) { ++fired; });
  }
  int FiredAfter(win::DWORD ms) {
    clock.Advance(ms);
    PumpWaiting();
    return fired;
  }
};

TEST_F(TTimerTest, StartsEnabledWithASecondAndRunsOnlyWithAHandler) {
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_EQ(FiredAfter(5000), 0) << "no OnTimer, no timer";
  Arm(100);
  EXPECT_EQ(FiredAfter(99), 0);
  EXPECT_EQ(FiredAfter(1), 1);
  EXPECT_EQ(FiredAfter(100), 2);
}

TEST_F(TTimerTest, AssigningTheSameValueLeavesTheCountdownRunning) {
  Arm(100);
  clock.Advance(60);
  timer.SetInterval(100);
  timer.SetEnabled(true);
  EXPECT_EQ(FiredAfter(40), 1);
}

TEST_F(TTimerTest, AssigningADifferentValueRestartsTheCountdown) {
  Arm(100);
  clock.Advance(60);
  timer.SetInterval(50);  // now due 50 from here
  EXPECT_EQ(FiredAfter(40), 0);
  EXPECT_EQ(FiredAfter(10), 1);

  clock.Advance(30);
  timer.SetEnabled(false);
  EXPECT_EQ(FiredAfter(500), 1) << "disabled";
  timer.SetEnabled(true);
  EXPECT_EQ(FiredAfter(49), 1);
  EXPECT_EQ(FiredAfter(1), 2);
}

TEST_F(TTimerTest, IntervalZeroStopsTheTimer) {
  Arm(100);
  timer.SetInterval(0);
  EXPECT_EQ(FiredAfter(1000), 0);
}

TEST_F(TTimerTest, AnExceptionInOnTimerIsReportedAndTheTimerKeepsRunning) {
  std::string reported;
  vcl::Application->OnException = [&](vcl::TObject* sender, const vcl::Exception& e) {
    EXPECT_EQ(sender, &timer);
    reported = e.Message;
  };
  timer.SetInterval(10);
  timer.SetOnTimer([this](vcl::TObject*) {
    ++fired;
    throw vcl::Exception("boom");
  });
  EXPECT_EQ(FiredAfter(10), 1);
  EXPECT_EQ(reported, "boom");
  EXPECT_EQ(FiredAfter(10), 2);
  vcl::Application->OnException = nullptr;
}

}  // namespace
