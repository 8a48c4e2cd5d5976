#include "tests/e2e/FakeDevice.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>

namespace e2e {

FakeDevice::FakeDevice(Script script)
    : FThread([this, script = std::move(script)] {
        testing_support::Fd connection = FListener.Accept(10000);
        if (connection.Get() < 0) return;
        FAccepted = true;
        script(connection);
      }) {}

FakeDevice::~FakeDevice() { FThread.join(); }

std::string ReadCommand(int fd, int timeoutMs) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (got.find('\r') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) != 1) break;
    char c;
    if (::recv(fd, &c, 1, 0) != 1) break;
    got += c;
  }
  return got;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace e2e
