// Runs a program as a child process and collects its standard output and
// error as bytes, its exit status and how long it ran.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

enum class StdoutTo {
  Pipe,        // captured
  File,        // a temporary file, read back after the run
  Closed,      // descriptor 1 not open
  BrokenPipe,  // a pipe whose reader is already gone
};

struct RunResult {
  std::string out;
  std::string err;
  bool exited = false;
  int exitCode = -1;
  int signal = 0;
  bool timedOut = false;
  std::chrono::milliseconds elapsed{0};
};

// Runs `program` with `args` (argv[0] is the program path). Killed after
// `limitMs`, which the result reports as timedOut.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     StdoutTo stdoutTo = StdoutTo::Pipe, int limitMs = 15000);

// Runs it on a pseudo-terminal in raw mode with LC_ALL set to `locale`;
// `out` is what the terminal received (its standard output and error).
RunResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                        const std::string& locale, int limitMs = 15000);

}  // namespace e2e
