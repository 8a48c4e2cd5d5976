#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/rtl/ConsoleMode.h"
#include "platform/rtl/ConsoleOutput.h"
#include "platform/rtl/EInOutError.h"

namespace {

// Runs `body` in a child process and returns its exit code (or -signal).
template <class F>
int InChild(F body) {
  pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(RtlConsoleMode, AClosedStandardOutputStaysClosedForWritesAndTakenForSockets) {
  int code = InChild([] {
    ::close(STDOUT_FILENO);
    rtl::SetConsoleMode();
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == STDOUT_FILENO) return 10;  // a socket would get the program's output
    try {
      rtl::WriteLn(std::string(200, 'x'));
      return 11;
    } catch (const rtl::EInOutError& e) {
      return e.ErrorCode == EBADF ? 0 : 12;
    }
  });
  EXPECT_EQ(code, 0) << "10: socket took descriptor 1; 11: write succeeded; 12: other error";
}

}  // namespace
