#include "tests/e2e/ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tests/support/CapturedFd.h"

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Reads the given descriptors to their end (or until the deadline) into the strings.
bool Drain(std::vector<std::pair<int, std::string*>> sources, Clock::time_point deadline) {
  while (!sources.empty()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    std::vector<pollfd> fds;
    for (auto& [fd, text] : sources) fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
      return false;
    for (std::size_t i = fds.size(); i-- > 0;) {
      if (fds[i].revents == 0) continue;
      char buf[4096];
      ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sources[i].second->append(buf, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {  // end, or EIO from a terminal whose child left
        sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
  return true;
}

void Finish(pid_t child, RunResult& result, bool drained, Clock::time_point start) {
  if (!drained) {
    result.timedOut = true;
    ::kill(child, SIGKILL);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  result.exited = WIFEXITED(status);
  if (result.exited) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     StdoutTo stdoutTo, int limitMs) {
  RunResult result;
  int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
  FILE* file = nullptr;
  if (::pipe2(errPipe, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  switch (stdoutTo) {
    case StdoutTo::Pipe:
    case StdoutTo::BrokenPipe:
      if (::pipe2(outPipe, O_CLOEXEC) != 0) return result;
      posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
      if (stdoutTo == StdoutTo::BrokenPipe) {
        ::close(outPipe[0]);
        outPipe[0] = -1;
      }
      break;
    case StdoutTo::File:
      file = std::tmpfile();
      posix_spawn_file_actions_adddup2(&actions, ::fileno(file), STDOUT_FILENO);
      break;
    case StdoutTo::Closed:
      posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
      break;
  }
  auto argv = Argv(program, args);
  auto start = Clock::now();
  pid_t child = -1;
  int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(errPipe[1]);
  if (outPipe[1] >= 0) ::close(outPipe[1]);
  if (spawned != 0) {
    result.err = "spawn failed";
    return result;
  }
  std::vector<std::pair<int, std::string*>> sources = {{errPipe[0], &result.err}};
  if (outPipe[0] >= 0) sources.push_back({outPipe[0], &result.out});
  bool drained = Drain(sources, start + std::chrono::milliseconds(limitMs));
  Finish(child, result, drained, start);
  ::close(errPipe[0]);
  if (outPipe[0] >= 0) ::close(outPipe[0]);
  if (file) {
    result.out = testing_support::FileText(::fileno(file));
    std::fclose(file);
  }
  return result;
}

RunResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                        const std::string& locale, int limitMs) {
  RunResult result;
  termios raw{};
  ::cfmakeraw(&raw);
  auto argv = Argv(program, args);
  auto start = Clock::now();
  int master = -1;
  pid_t child = ::forkpty(&master, nullptr, &raw, nullptr);
  if (child < 0) return result;
  if (child == 0) {
    ::setenv("LC_ALL", locale.c_str(), 1);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  bool drained = Drain({{master, &result.out}}, start + std::chrono::milliseconds(limitMs));
  Finish(child, result, drained, start);
  ::close(master);
  return result;
}

}  // namespace e2e
