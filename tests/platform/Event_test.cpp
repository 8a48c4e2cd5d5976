#include "platform/win/Event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(Event, AutoResetEventStaysSetUntilOneWaitConsumesIt) {
  win::HANDLE e = win::CreateEventA(nullptr, win::FALSE, win::FALSE, nullptr);
  ASSERT_NE(e, 0);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_TIMEOUT);
  win::SetEvent(e);
  win::SetEvent(e);  // a second set before any wait changes nothing
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_TIMEOUT) << "one wait consumes the signal";
  win::SetEvent(e);
  win::ResetEvent(e);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_TIMEOUT) << "reset drops the signal";
  EXPECT_EQ(win::CloseHandle(e), win::TRUE);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_FAILED) << "closed handles are refused";
  EXPECT_EQ(win::SetEvent(e), win::FALSE);
}

TEST(Event, ManualResetEventStaysSetForEveryWait) {
  win::HANDLE e = win::CreateEventA(nullptr, win::TRUE, win::TRUE, nullptr);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(e, 0), win::WAIT_OBJECT_0);
  win::CloseHandle(e);
}

TEST(Event, TimedWaitBlocksForItsTimeOrUntilAnotherThreadSetsIt) {
  win::HANDLE e = win::CreateEventA(nullptr, win::FALSE, win::FALSE, nullptr);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(win::WaitForSingleObject(e, 100), win::WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));

  std::thread setter([e] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    win::SetEvent(e);
  });
  EXPECT_EQ(win::WaitForSingleObject(e, 10000), win::WAIT_OBJECT_0);
  setter.join();
  win::CloseHandle(e);
}

}  // namespace
