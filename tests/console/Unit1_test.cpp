#include "console/Unit1.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "platform/win/MessageQueue.h"
#include "platform/win/Tick.h"
#include "tests/console/FormFixture.h"

namespace {

using console_testing::FormFixture;

int CountLines(const std::string& text) {
  int lines = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  return lines;
}

using Form1Test = FormFixture;

TEST_F(Form1Test, BuiltFromItsStoredDescription) {
  CreateForm1({});  // the usage branch: nothing changes the stored values afterwards
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(app.MainForm(), form);
  EXPECT_FALSE(form->Visible);
  EXPECT_FALSE(app.ShowMainForm) << "FormCreate keeps the form hidden";

  ASSERT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(0), form->RezUrav1) << "the socket component comes first";
  EXPECT_EQ(form->Components(1), form->Timer1);
  EXPECT_EQ(form->RezUrav1->Name, "RezUrav1");
  EXPECT_EQ(form->Timer1->Name, "Timer1");

  EXPECT_EQ(form->RezUrav1->TimeOut, 8000);
  EXPECT_FALSE(form->RezUrav1->ServerMode);
  EXPECT_EQ(form->RezUrav1->SelfPort, 0);
  EXPECT_EQ(form->RezUrav1->ErrorNumber, 0);
  EXPECT_TRUE(form->RezUrav1->onReceive);
  EXPECT_TRUE(form->RezUrav1->onConnect);
  EXPECT_TRUE(form->RezUrav1->onClose);
  EXPECT_FALSE(form->RezUrav1->onAccept);
  EXPECT_TRUE(form->Timer1->OnTimer());
  EXPECT_EQ(form->Timer1->Interval(), 1u) << "stored 5000; the usage branch then ends the run at once";
}

TEST_F(Form1Test, ThreeArgumentsSetTheTargetAndStartTheConnectLimit) {
  CreateForm1({"127.0.0.9", "$17", "*password#POR1", "ignored"});
  EXPECT_EQ(Unit1::ExchangeState, 1);
  EXPECT_EQ(form->RezUrav1->TargetIPAddress, "127.0.0.9");
  EXPECT_EQ(form->RezUrav1->TargetPort, 23);
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval(), 5000u);
  EXPECT_EQ(Output(), "");
  EXPECT_NE(Unit1::DeviceSocket, 0) << "the connection attempt has begun";
  EXPECT_EQ(form->RezUrav1->ErrorNumber, 10035) << "and goes on without blocking";
}

TEST_F(Form1Test, APortThatIsNoNumberBecomes8000AndOthersAreKeptWhole) {
  struct Case {
    const char* port;
    std::int32_t expected;
  } cases[] = {{"telnet", 8000}, {"65559", 65559}, {"-1", -1}, {"23 ", 8000}};
  for (const Case& c : cases) {
    CreateForm1({"127.0.0.1", c.port, "*pw#X"});
    EXPECT_EQ(form->RezUrav1->TargetPort, c.expected) << "port \"" << c.port << "\"";
    app.DestroyForms();
  }
}

TEST_F(Form1Test, AMissingArgumentGivesTheUsageTextAndEndsTheRunAtOnce) {
  const std::vector<std::vector<const char*>> cases = {
      {}, {"127.0.0.1"}, {"127.0.0.1", "23"}, {"127.0.0.1", "", "*pw#X"}};
  for (const auto& args : cases) {
    std::string before = Output();
    CreateForm1(args);
    EXPECT_EQ(Unit1::ExchangeState, 0);
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_EQ(form->Timer1->Interval(), 1u);
    auto start = std::chrono::steady_clock::now();
    RunBounded();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    std::string usage = Output().substr(before.size());
    EXPECT_EQ(CountLines(usage), 11) << args.size() << " arguments";
    EXPECT_EQ(usage.find("Connect"), std::string::npos) << "the timer end writes nothing";
    app.DestroyForms();
  }
}

TEST_F(Form1Test, TimerEndWritesConnectTimeOutOnlyWhileThePromptIsAwaited) {
  CreateForm1({"127.0.0.1", "23", "*pw#X"});
  form->Timer1->SetInterval(10);  // instead of waiting the 5 s
  RunBounded();
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_EQ(Output(), "Connect Time Out") << "no line end";
  app.DestroyForms();

  CreateForm1({"127.0.0.1", "23", "*pw#X"});
  Unit1::ExchangeState = 2;
  form->Timer1->SetInterval(10);
  RunBounded();
  EXPECT_EQ(Output(), "Connect Time Out") << "nothing more in state 2";
}

TEST_F(Form1Test, DeviceCloseEndsTheRunAtOnceWithoutText) {
  CreateForm1({"127.0.0.1", "23", "*pw#X"});
  win::HWND poster =
      win::AllocateHWnd([&](win::TMessage&) { form->RezUrav1->onClose(form->RezUrav1, 7); });
  win::PostMessage(poster, win::WM_USER, 0, 0);
  auto start = std::chrono::steady_clock::now();
  RunBounded();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2))
      << "not through the 5 s timer";
  EXPECT_EQ(Output(), "");
  win::DeallocateHWnd(poster);
}

// Real time seen through a counter that wraps shortly after the test starts.
class WrappingClock : public win::TickSource {
 public:
  explicit WrappingClock(win::DWORD wrapsAfterMs)
      : FStart(std::chrono::steady_clock::now()), FBase(0u - wrapsAfterMs) {
    win::SetTickSource(this);
  }
  ~WrappingClock() override { win::SetTickSource(nullptr); }
  win::DWORD Now() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - FStart);
    return FBase + static_cast<win::DWORD>(ms.count());
  }

 private:
  std::chrono::steady_clock::time_point FStart;
  win::DWORD FBase;
};

TEST_F(Form1Test, DelayHandlesMessagesAndReturnsJustPastItsLimitWithoutSpinning) {
  CreateForm1({"127.0.0.1", "23", "*pw#X"});
  WrappingClock clock(100);  // wraps 100 ms into the pause

  std::vector<win::DWORD> handledAt;
  win::HWND wnd = win::AllocateHWnd([&](win::TMessage&) { handledAt.push_back(clock.Now()); });
  win::PostMessage(wnd, win::WM_USER, 0, 0);  // waiting before the pause
  win::SetTimer(wnd, 1, 150);                 // falls due during it

  win::DWORD start = clock.Now();
  std::clock_t cpuStart = std::clock();
  form->Delay(300);
  win::DWORD elapsed = clock.Now() - start;
  double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  win::DeallocateHWnd(wnd);

  EXPECT_GT(elapsed, 300u);
  EXPECT_LT(elapsed, 1500u) << "a wrap of the counter must not stretch the pause";
  ASSERT_GE(handledAt.size(), 2u) << "the waiting message and the timer";
  EXPECT_LT(handledAt[0] - start, 150u) << "the waiting message is handled before the timer";
  EXPECT_LT(cpuMs, 100.0) << "the pause should sleep, not spin";
}

TEST_F(Form1Test, DelayHandlesWaitingMessagesEvenForNoPause) {
  CreateForm1({"127.0.0.1", "23", "*pw#X"});
  int handled = 0;
  win::HWND wnd = win::AllocateHWnd([&](win::TMessage&) { ++handled; });
  for (std::int32_t ms : {0, -1}) {
    win::PostMessage(wnd, win::WM_USER, 0, 0);
    form->Delay(ms);
  }
  EXPECT_EQ(handled, 2);
  win::DeallocateHWnd(wnd);
}

}  // namespace
