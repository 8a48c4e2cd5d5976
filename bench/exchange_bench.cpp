// Whole-process figures of the real vardex binary:
// - one exchange against an in-process device on 127.0.0.1: per run, the time
//   from the device's prompt to the command on the wire, from an answer block
//   on the wire to the same bytes on vardex's standard output (a pipe; the
//   block is longer than what a pipe may hold back), the run's processor time
//   and its peak resident memory;
// - a run without arguments, which prints the usage text and opens no
//   connection: start-up and exit, with the same processor and memory figures.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int Listen(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0)
    throw std::runtime_error("listen");
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

// Waits until `fd` holds at least `count` bytes in total, read into `got`.
void ReadAtLeast(int fd, std::size_t count, std::string& got) {
  while (got.size() < count) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) throw std::runtime_error("timed out");
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) throw std::runtime_error("closed early");
    got.append(buffer, static_cast<std::size_t>(n));
  }
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessorSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Sums of the figures that wait4 gives for each run.
struct ChildFigures {
  double processorSeconds = 0;
  double peakKilobytes = 0;
  void Add(const rusage& usage) {
    processorSeconds += ProcessorSeconds(usage);
    peakKilobytes += static_cast<double>(usage.ru_maxrss);
  }
  void Report(benchmark::State& state) const {
    const auto n = static_cast<double>(state.iterations());
    state.counters["cpu_per_run_us"] = processorSeconds / n * 1e6;
    state.counters["peak_rss_kib"] = peakKilobytes / n;
  }
};

struct Child {
  pid_t pid;
  int stdoutRead;  // the read end of the pipe that is vardex's standard output
};

Child StartVardex(const std::vector<std::string>& args) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<std::string> words{VARDEX_BINARY};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, VARDEX_BINARY, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (failed != 0) throw std::runtime_error("posix_spawn");
  return {pid, out[0]};
}

void BM_Exchange(benchmark::State& state) {
  int port = 0;
  int listener = Listen(port);
  const std::string command = "*password#POR1";
  // Longer than the 128 bytes a pipe may hold back, so it goes out at once.
  const std::string answer = std::string(190, '-') + "POR1 OK\r\n";
  double promptToCommand = 0, blockToStdout = 0;
  ChildFigures figures;
  for (auto _ : state) {
    auto start = Clock::now();
    const Child child = StartVardex({"127.0.0.1", std::to_string(port), command});

    int device = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    auto prompted = Clock::now();
    ::send(device, ">", 1, MSG_NOSIGNAL);
    std::string wire;
    ReadAtLeast(device, command.size() + 1, wire);
    auto commanded = Clock::now();
    ::send(device, answer.data(), answer.size(), MSG_NOSIGNAL);
    auto sent = Clock::now();
    std::string printed;
    ReadAtLeast(child.stdoutRead, answer.size(), printed);
    auto shown = Clock::now();
    ::close(device);  // the device closes: vardex ends at once

    int status = 0;
    rusage usage{};
    ::wait4(child.pid, &status, 0, &usage);
    ::close(child.stdoutRead);
    state.SetIterationTime(Seconds(Clock::now() - start));
    promptToCommand += Seconds(commanded - prompted);
    blockToStdout += Seconds(shown - sent);
    figures.Add(usage);
  }
  ::close(listener);
  auto n = static_cast<double>(state.iterations());
  state.counters["prompt_to_command_us"] = promptToCommand / n * 1e6;
  state.counters["block_to_stdout_us"] = blockToStdout / n * 1e6;
  figures.Report(state);
}
BENCHMARK(BM_Exchange)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// vardex without arguments, its usage text into a pipe that is read to the end.
void BM_UsageRun(benchmark::State& state) {
  ChildFigures figures;
  for (auto _ : state) {
    auto start = Clock::now();
    const Child child = StartVardex({});
    char buffer[4096];
    while (::read(child.stdoutRead, buffer, sizeof buffer) > 0) {
    }
    int status = 0;
    rusage usage{};
    ::wait4(child.pid, &status, 0, &usage);
    state.SetIterationTime(Seconds(Clock::now() - start));
    ::close(child.stdoutRead);
    figures.Add(usage);
  }
  figures.Report(state);
}
BENCHMARK(BM_UsageRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
