#include "platform/vcl/TApplication.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/vcl/Exception.h"
#include "platform/vcl/TForm.h"
#include "platform/vcl/TTimer.h"
#include "platform/win/MessageQueue.h"
#include "tests/support/CapturedFd.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::CapturedFd;
using testing_support::Sjis;

constexpr win::UINT kMsgA = win::WM_USER + 1;
constexpr win::UINT kMsgB = win::WM_USER + 2;
constexpr win::UINT kMsgC = win::WM_USER + 3;
constexpr win::UINT kMsgD = win::WM_USER + 4;
constexpr win::UINT kMsgE = win::WM_USER + 5;

// A fresh application object stands in for the global one during each test.
class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = vcl::Application;
    vcl::Application = &app;
    app.Title = "VARDEX";
    app.CreateForm(form);
    ASSERT_EQ(app.MainForm(), form);
  }
  void TearDown() override {
    app.DestroyForms();
    vcl::Application = saved;
  }

  // Runs the loop with a reaper, so a loop that does not stop fails the test.
  void RunBounded() {
    bool reaped = false;
    win::HWND reaper = win::AllocateHWnd([&](win::TMessage&) {
      reaped = true;
      app.Terminate();
    });
    win::SetTimer(reaper, 1, 5000);
    app.Run();
    win::DeallocateHWnd(reaper);
    EXPECT_FALSE(reaped) << "Run did not stop by itself";
  }

  vcl::TApplication app{nullptr};
  vcl::TApplication* saved = nullptr;
  vcl::TForm* form = nullptr;
  std::vector<std::string> log;
};

TEST_F(ApplicationTest, CloseInsideANestedWaitTakesEffectWhenTheWaitReturns) {
  win::HWND wnd = 0;
  wnd = win::AllocateHWnd([&](win::TMessage& m) {
    switch (m.Msg) {
      case kMsgA:
        log.push_back("A begins");
        win::PostMessage(wnd, kMsgB, 0, 0);
        app.ProcessMessages();
        log.push_back(app.Terminated() ? "A ends, terminated" : "A ends");
        win::PostMessage(wnd, kMsgD, 0, 0);
        break;
      case kMsgB:
        log.push_back("B closes the main form");
        form->Close();
        win::PostMessage(wnd, kMsgE, 0, 0);
        break;
      case kMsgC:
        log.push_back("C");
        break;
      case kMsgD:
        log.push_back("D");
        break;
      case kMsgE:
        log.push_back("E");
        break;
    }
  });
  win::PostMessage(wnd, kMsgA, 0, 0);
  win::PostMessage(wnd, kMsgC, 0, 0);
  RunBounded();
  std::vector<std::string> expected = {"A begins", "C", "B closes the main form", "E",
                                       "A ends, terminated"};
  EXPECT_EQ(log, expected) << "the nested wait goes on; Run stops after A, before D";
  win::DeallocateHWnd(wnd);
}

TEST_F(ApplicationTest, TerminateStopsRunAfterTheCurrentMessageNotBehindTheQueue) {
  win::HWND wnd = win::AllocateHWnd([&](win::TMessage& m) {
    log.push_back(std::to_string(m.Msg - win::WM_USER));
    if (m.Msg == kMsgA) app.Terminate();
  });
  win::PostMessage(wnd, kMsgA, 0, 0);
  win::PostMessage(wnd, kMsgB, 0, 0);
  RunBounded();
  EXPECT_EQ(log, std::vector<std::string>{"1"}) << "B was already queued but must not run";
  win::DeallocateHWnd(wnd);
}

TEST_F(ApplicationTest, ExceptionReportGoesToStandardErrorWithFullStopRule) {
  struct Case {
    std::string message, shown;
  } cases[] = {
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc!", "abc!"},  // "!" sorts before "."
      {"abc ", "abc "},
      {"", ""},
      {Sjis("ｿｹｯﾄｴﾗｰ : 送信ｴﾗｰ"), Sjis("ｿｹｯﾄｴﾗｰ : 送信ｴﾗｰ.")},
      {Sjis("完了。"), Sjis("完了。.")},
  };
  for (const Case& c : cases) {
    CapturedFd out(STDOUT_FILENO), err(STDERR_FILENO);
    try {
      throw vcl::Exception(c.message);
    } catch (...) {
      app.HandleException(form);
    }
    out.Restore();
    err.Restore();
    EXPECT_EQ(err.Text(), "VARDEX\n" + c.shown + "\n") << "message \"" << c.message << "\"";
    EXPECT_EQ(out.Text(), "") << "the report must not touch standard output";
  }

  CapturedFd err(STDERR_FILENO);
  try {
    throw std::runtime_error("not ours");
  } catch (...) {
    app.HandleException(form);
  }
  err.Restore();
  EXPECT_EQ(err.Text(), "VARDEX\nnot ours.\n");
}

TEST_F(ApplicationTest, ExceptionInATimerHandlerIsReportedAndTheRunGoesOn) {
  CapturedFd err(STDERR_FILENO);
  auto* timer = new vcl::TTimer(form);
  int calls = 0;
  timer->SetInterval(10);
  timer->SetOnTimer([&](vcl::TObject*) {
    if (++calls == 1) throw vcl::Exception("first call fails");
    form->Close();
  });
  RunBounded();
  err.Restore();
  EXPECT_EQ(calls, 2) << "the timer stayed armed after the exception";
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(err.Text(), "VARDEX\nfirst call fails.\n");
}

TEST(Application, ExceptionInOnCreateIsReportedAndTheFormStillBecomesMain) {
  vcl::TApplication app{nullptr};
  vcl::TApplication* saved = vcl::Application;
  vcl::Application = &app;
  app.Title = "VARDEX";

  struct Failing : vcl::TForm {
    explicit Failing(vcl::TComponent* owner) : vcl::TForm(owner) {
      OnCreate = [](vcl::TObject*) { throw vcl::Exception("no create"); };
    }
  };
  Failing* form = nullptr;
  CapturedFd err(STDERR_FILENO);
  app.CreateForm(form);
  err.Restore();
  EXPECT_EQ(app.MainForm(), form);
  EXPECT_EQ(err.Text(), "VARDEX\nno create.\n");

  app.DestroyForms();
  vcl::Application = saved;
}

TEST(Application, FailedConstructionLeavesNoReferenceAndNoMainForm) {
  vcl::TApplication app{nullptr};
  struct Throwing : vcl::TForm {
    explicit Throwing(vcl::TComponent* owner) : vcl::TForm(owner) {
      throw vcl::Exception("cannot start");
    }
  };
  Throwing* form = nullptr;
  EXPECT_THROW(app.CreateForm(form), vcl::Exception);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(app.MainForm(), nullptr);
  EXPECT_EQ(app.ComponentCount(), 0) << "the half-made form left its owner";
}

}  // namespace
