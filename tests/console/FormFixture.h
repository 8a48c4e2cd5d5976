// A fixture for the main form: a fresh application object in place of the
// global one, the command-line words of the test, and standard output
// captured in a temporary file.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/Unit1.h"
#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/ParamStr.h"
#include "platform/vcl/TApplication.h"
#include "platform/win/MessageQueue.h"
#include "tests/support/CapturedFd.h"

namespace console_testing {

// Standard output is captured while a test runs, so failures are also told
// on standard error, where they cannot get lost in the capture.
class FailuresToStderr : public ::testing::EmptyTestEventListener {
 public:
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed()) return;
    std::fprintf(stderr, "%s:%d: Failure\n%s\n", result.file_name() ? result.file_name() : "?",
                 result.line_number(), result.message());
  }
};

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool listening = false;
    if (!listening) {
      ::testing::UnitTest::GetInstance()->listeners().Append(new FailuresToStderr);
      listening = true;
    }
    FSavedApplication = vcl::Application;
    vcl::Application = &app;
  }
  void TearDown() override {
    app.DestroyForms();
    Unit1::Form1 = nullptr;
    vcl::Application = FSavedApplication;
    rtl::CloseOutput();
    FStdout.Restore();
  }

  // Creates Form1 as the program does, with these words after the program name.
  void CreateForm1(std::vector<const char*> args) {
    args.insert(args.begin(), "vardex");
    rtl::SetArguments(static_cast<int>(args.size()), args.data());
    app.CreateForm(Unit1::Form1);
    form = Unit1::Form1;
  }

  // What reached standard output so far (held bytes flushed first).
  std::string Output() {
    rtl::FlushOutput();
    return FStdout.Text();
  }

  // Runs the message loop with a reaper, so a run that does not end fails.
  void RunBounded(win::UINT limitMs = 5000) {
    bool reaped = false;
    win::HWND reaper = win::AllocateHWnd([&](win::TMessage&) {
      reaped = true;
      app.Terminate();
    });
    win::SetTimer(reaper, 1, limitMs);
    app.Run();
    win::DeallocateHWnd(reaper);
    EXPECT_FALSE(reaped) << "the run did not end by itself";
  }

  vcl::TApplication app{nullptr};
  Unit1::TForm1* form = nullptr;

 private:
  vcl::TApplication* FSavedApplication = nullptr;
  testing_support::CapturedFd FStdout{STDOUT_FILENO};
};

}  // namespace console_testing
