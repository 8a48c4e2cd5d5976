#include "platform/win/MessageQueue.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/FakeClock.h"

namespace {

using testing_support::FakeClock;
using testing_support::PumpWaiting;
using testing_support::RecordingWindow;

constexpr win::UINT kMsg = win::WM_USER + 1;

// Records "<window tag>:<message>:<wParam>" for everything a window receives.
struct Journal {
  std::vector<std::string> entries;
  auto Recorder(const std::string& tag) {
    return [this, tag](win::TMessage& m) {
      entries.push_back(tag + ":" + std::to_string(m.Msg) + ":" + std::to_string(m.WParam));
    };
  }
};

TEST(MessageQueue, PostedMessagesArriveInPostingOrderAcrossWindows) {
  Journal j;
  RecordingWindow a(j.Recorder("a")), b(j.Recorder("b"));
  win::PostMessage(a.Handle(), kMsg, 1, 0);
  win::PostMessage(b.Handle(), kMsg, 2, 0);
  win::PostMessage(a.Handle(), kMsg, 3, 0);
  win::PostMessage(b.Handle(), kMsg, 4, 0);
  PumpWaiting();
  std::string m = std::to_string(kMsg);
  EXPECT_EQ(j.entries, (std::vector<std::string>{"a:" + m + ":1", "b:" + m + ":2",
                                                  "a:" + m + ":3", "b:" + m + ":4"}));
}

TEST(MessageQueue, TimerComesAfterPostedMessagesAndCoalescesOnItsGridAcrossTheWrap) {
  FakeClock clock(0xFFFFFF00u);  // the 32-bit counter wraps 256 ms in
  Journal j;
  RecordingWindow w(j.Recorder("w"));
  ASSERT_EQ(win::SetTimer(w.Handle(), 7, 100), 7u);

  clock.Advance(350);  // due at 100, 200 and 300 while nobody looked
  win::PostMessage(w.Handle(), kMsg, 1, 0);
  win::MSG msg;
  ASSERT_TRUE(win::PeekMessage(msg, win::PM_REMOVE));
  EXPECT_EQ(msg.message, kMsg) << "a posted message goes before a due timer";
  ASSERT_TRUE(win::PeekMessage(msg, win::PM_REMOVE));
  EXPECT_EQ(msg.message, win::WM_TIMER);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(win::PeekMessage(msg, win::PM_REMOVE)) << "missed periods yield one WM_TIMER";

  clock.Advance(49);  // 399: the next grid point is 400, not 350 + 100
  EXPECT_FALSE(win::PeekMessage(msg, win::PM_REMOVE));
  clock.Advance(1);
  ASSERT_TRUE(win::PeekMessage(msg, win::PM_REMOVE));
  EXPECT_EQ(msg.message, win::WM_TIMER);
  win::KillTimer(w.Handle(), 7);
}

TEST(MessageQueue, SetTimerAgainRestartsAndKillTimerStopsIt) {
  FakeClock clock(1000);
  RecordingWindow w([](win::TMessage&) {});
  win::MSG msg;
  win::SetTimer(w.Handle(), 1, 100);
  clock.Advance(90);
  win::SetTimer(w.Handle(), 1, 100);  // restart: now due at 190
  clock.Advance(20);
  EXPECT_FALSE(win::PeekMessage(msg, win::PM_REMOVE)) << "the first countdown must be gone";
  clock.Advance(80);
  EXPECT_TRUE(win::PeekMessage(msg, win::PM_REMOVE));

  clock.Advance(500);
  EXPECT_EQ(win::KillTimer(w.Handle(), 1), win::TRUE);
  EXPECT_FALSE(win::PeekMessage(msg, win::PM_REMOVE)) << "no WM_TIMER after KillTimer";
  EXPECT_EQ(win::KillTimer(w.Handle(), 1), win::FALSE);
  EXPECT_EQ(win::SetTimer(0, 1, 10), 0u) << "no timer without a window";
}

TEST(MessageQueue, HandlersMayPumpNestedWithoutLosingOrRepeatingMessages) {
  std::vector<std::string> seen;
  RecordingWindow w([&](win::TMessage& m) {
    seen.push_back("begin " + std::to_string(m.WParam));
    if (m.WParam == 1) PumpWaiting();  // like a wait that handles messages
    seen.push_back("end " + std::to_string(m.WParam));
  });
  win::PostMessage(w.Handle(), kMsg, 1, 0);
  win::PostMessage(w.Handle(), kMsg, 2, 0);
  win::PostMessage(w.Handle(), kMsg, 3, 0);
  PumpWaiting();
  EXPECT_EQ(seen, (std::vector<std::string>{"begin 1", "begin 2", "end 2", "begin 3", "end 3",
                                            "end 1"}));
}

TEST(MessageQueue, MessagesForADestroyedWindowAreDropped) {
  Journal j;
  win::HWND a = win::AllocateHWnd(j.Recorder("a"));
  RecordingWindow b(j.Recorder("b"));
  // The first message destroys window a; its second message must not arrive.
  RecordingWindow killer([&](win::TMessage&) { win::DeallocateHWnd(a); });
  win::PostMessage(a, kMsg, 1, 0);
  win::PostMessage(killer.Handle(), kMsg, 0, 0);
  win::PostMessage(a, kMsg, 2, 0);
  win::PostMessage(b.Handle(), kMsg, 3, 0);
  PumpWaiting();
  std::string m = std::to_string(kMsg);
  EXPECT_EQ(j.entries, (std::vector<std::string>{"a:" + m + ":1", "b:" + m + ":3"}));
  EXPECT_EQ(win::PostMessage(a, kMsg, 4, 0), win::FALSE);
  EXPECT_EQ(win::IsWindow(a), win::FALSE);
  win::MSG stale{a, kMsg, 5, 0};
  EXPECT_EQ(win::DispatchMessage(stale), 0) << "dispatch to a window that is gone does nothing";
}

TEST(MessageQueue, AWindowMayDestroyItselfInsideItsOwnHandler) {
  int calls = 0;
  win::HWND self = 0;
  self = win::AllocateHWnd([&](win::TMessage&) {
    ++calls;
    win::DeallocateHWnd(self);
  });
  win::PostMessage(self, kMsg, 0, 0);
  win::PostMessage(self, kMsg, 0, 0);
  PumpWaiting();
  EXPECT_EQ(calls, 1);
}

TEST(MessageQueue, QuitComesAfterPostedMessagesAndBeforeTimers) {
  FakeClock clock(0);
  RecordingWindow w([](win::TMessage&) {});
  win::SetTimer(w.Handle(), 1, 10);
  clock.Advance(10);
  win::PostQuitMessage(3);
  win::PostMessage(w.Handle(), kMsg, 0, 0);
  win::MSG msg;
  ASSERT_TRUE(win::GetMessage(msg));
  EXPECT_EQ(msg.message, kMsg);
  EXPECT_FALSE(win::GetMessage(msg));
  EXPECT_EQ(msg.message, win::WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(win::GetMessage(msg));
  EXPECT_EQ(msg.message, win::WM_TIMER);
  win::KillTimer(w.Handle(), 1);
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(MessageQueue, GetMessageSleepsInPollUntilTheTimerIsDue) {
  RecordingWindow w([](win::TMessage&) {});
  win::SetTimer(w.Handle(), 1, 300);
  auto start = std::chrono::steady_clock::now();
  double cpuBefore = CpuSeconds();
  win::MSG msg;
  ASSERT_TRUE(win::GetMessage(msg));
  double cpu = CpuSeconds() - cpuBefore;
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(msg.message, win::WM_TIMER);
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_LT(cpu, 0.1) << "an idle wait must not use the processor";
  win::KillTimer(w.Handle(), 1);
}

TEST(MessageQueue, FdReadinessBecomesAPostedMessageBeforeDueTimers) {
  FakeClock clock(0);
  Journal j;
  RecordingWindow w(j.Recorder("w"));
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  win::WatchFd(fds[0], POLLIN, [&](short) {
    win::PostMessage(w.Handle(), kMsg, 9, 0);
    win::WatchFd(fds[0], 0, nullptr);  // pause, as a notification is pending
  });
  win::SetTimer(w.Handle(), 1, 5);
  clock.Advance(5);
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  PumpWaiting();
  win::UnwatchFd(fds[0]);
  close(fds[0]);
  close(fds[1]);
  win::KillTimer(w.Handle(), 1);
  std::string m = std::to_string(kMsg);
  ASSERT_EQ(j.entries.size(), 2u);
  EXPECT_EQ(j.entries[0], "w:" + m + ":9");
  EXPECT_EQ(j.entries[1], "w:" + std::to_string(win::WM_TIMER) + ":1");
}

TEST(MessageQueue, WaitForWorkReportsAnExtraFdWithoutDispatching) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_TRUE(win::WaitForWork(fds[0], POLLIN, 1000) & POLLIN);
  close(fds[0]);
  close(fds[1]);
}

TEST(MessageQueue, DestroyingAWindowStopsItsTimersAndFreesIt) {
  FakeClock clock(0);
  int before = win::LiveWindowCount();
  win::HWND w = win::AllocateHWnd([](win::TMessage&) { FAIL() << "timer of a dead window"; });
  win::SetTimer(w, 1, 10);
  EXPECT_EQ(win::LiveWindowCount(), before + 1);
  win::DeallocateHWnd(w);
  EXPECT_EQ(win::LiveWindowCount(), before);
  clock.Advance(100);
  EXPECT_EQ(PumpWaiting(), 0);
}

}  // namespace
