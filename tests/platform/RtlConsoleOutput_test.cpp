#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/EInOutError.h"
#include "platform/rtl/Report.h"
#include "platform/rtl/TextOutput.h"
#include "tests/support/CapturedFd.h"
#include "tests/support/Sjis.h"

namespace {

using rtl::TextOutput;
using testing_support::FileText;
using testing_support::Hex;
using testing_support::Sjis;

// Reads from `fd` until `size` bytes came or two seconds passed.
std::string ReadBytes(int fd, std::size_t size) {
  std::string out;
  while (out.size() < size) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) break;
    char buf[4096];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = ::getenv(name)) FOld = old, FHadOld = true;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (FHadOld)
      ::setenv(FName, FOld.c_str(), 1);
    else
      ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHadOld = false;
};

// A pseudo-terminal in raw mode, so the line discipline adds nothing to CR LF.
struct Pty {
  int master = -1, slave = -1;
  Pty() {
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0) ADD_FAILURE() << "openpty";
  }
  ~Pty() {
    ::close(master);
    ::close(slave);
  }
};

TEST(RtlConsoleOutput, FileGetsExactBytesInOrderAndHoldsAtMost127) {
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  int fd = ::fileno(file);
  std::string expected;
  {
    TextOutput out(fd);
    ASSERT_EQ(out.OutputMode(), TextOutput::Mode::Buffered);
    auto write = [&](std::string_view text, bool line) {
      line ? out.WriteLn(text) : out.Write(text);
      expected.append(text);
      if (line) expected += "\r\n";
      std::string now = FileText(fd);
      EXPECT_EQ(now, expected.substr(0, now.size())) << "out of order or changed";
      EXPECT_LT(expected.size() - now.size(), TextOutput::kBufferSize) << "holds too much";
    };
    write("abc", false);
    write("", true);  // a bare CR LF
    write(Sjis("　ZORVEL シリーズのコマンド"), true);
    write(std::string(120, 'x'), false);
    write(std::string(1000, 'y'), false);  // larger than the buffer: out at once
    write("\x81", false);                  // half a character stays half a character
    write(std::string("\0\x7F\xFF", 3), false);
    EXPECT_NE(FileText(fd), expected) << "a file should hold the small tail";
  }
  EXPECT_EQ(FileText(fd), expected) << "flushed when closed";
  std::fclose(file);
}

TEST(RtlConsoleOutput, FailedWriteRaisesInOutError) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);  // the reader is gone: EPIPE, and no SIGPIPE kills the test
  TextOutput out(fds[1]);
  EXPECT_NO_THROW(out.Write("held"));
  try {
    out.Write(std::string(200, 'z'));
    ADD_FAILURE() << "no exception";
  } catch (const rtl::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, EPIPE);
    EXPECT_EQ(e.Message, Sjis("I/O エラー 32"));
  }
  EXPECT_NO_THROW(out.Flush()) << "what was held went with the failure";
  ::close(fds[1]);

  TextOutput closed(fds[1], TextOutput::Mode::Terminal);  // descriptor no longer open
  EXPECT_THROW(closed.WriteLn("x"), rtl::EInOutError);
}

TEST(RtlConsoleOutput, HeldBytesLeaveAtProcessExit) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    rtl::Write("held ");
    rtl::WriteLn("until exit");
    std::exit(0);
  }
  ::close(fds[1]);
  std::string got = ReadBytes(fds[0], 1000);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(got, "held until exit\r\n");
}

TEST(RtlConsoleOutput, Utf8TerminalGetsEachWriteAtOnceConverted) {
  Pty pty;
  TextOutput out(pty.slave, TextOutput::Mode::Utf8Terminal);
  std::string text = Sjis("あｱ\\~ 23");
  out.Write(text);
  std::string want = "あｱ\\~ 23";
  EXPECT_EQ(ReadBytes(pty.master, want.size()), want) << "not held, and CP932 0x5C stays \\";

  // "あ" is 82 A0: the lead byte waits for its trail byte in the next write.
  out.Write("\x82");
  out.Write("\xA0!");
  want = "あ!";
  std::string got = ReadBytes(pty.master, want.size());
  EXPECT_EQ(got, want) << Hex(got);

  out.WriteLn(
      "\xFF"
      "x");  // a byte code page 932 does not map
  want = "\uFFFDx\r\n";
  EXPECT_EQ(ReadBytes(pty.master, want.size()), want);

  out.Write("\x82");
  out.Close();  // the trail byte will not come now
  want = "\uFFFD";
  EXPECT_EQ(ReadBytes(pty.master, want.size()), want);
}

TEST(RtlConsoleOutput, ModeFollowsDescriptorAndLocale) {
  Pty pty;
  {
    ScopedEnv all("LC_ALL", "C.UTF-8");
    EXPECT_EQ(TextOutput(pty.slave).OutputMode(), TextOutput::Mode::Utf8Terminal);
  }
  {
    ScopedEnv all("LC_ALL", "C");
    TextOutput out(pty.slave);
    ASSERT_EQ(out.OutputMode(), TextOutput::Mode::Terminal);
    std::string text = Sjis("あ");
    out.Write(text);
    EXPECT_EQ(ReadBytes(pty.master, text.size()), text) << "bytes unchanged, at once";
  }
  {
    ScopedEnv all("LC_ALL", "no_such_locale.UTF-8");
    EXPECT_EQ(TextOutput(pty.slave).OutputMode(), TextOutput::Mode::Terminal);
  }
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ScopedEnv all("LC_ALL", "C.UTF-8");
  EXPECT_EQ(TextOutput(fds[1]).OutputMode(), TextOutput::Mode::Buffered) << "a pipe";
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(RtlConsoleOutput, ReportOnAUtf8TerminalIsConverted) {
  Pty pty;
  ScopedEnv all("LC_ALL", "C.UTF-8");
  int saved = ::dup(STDERR_FILENO);
  ::dup2(pty.slave, STDERR_FILENO);
  rtl::WriteReport(Sjis("ｿｹｯﾄｴﾗｰ : 送信\n"));
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::string want = "ｿｹｯﾄｴﾗｰ : 送信\n";
  EXPECT_EQ(ReadBytes(pty.master, want.size()), want);
}

}  // namespace
