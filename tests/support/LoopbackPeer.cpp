#include "tests/support/LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace testing_support {

Fd::~Fd() {
  if (FFd >= 0) ::close(FFd);
}

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    if (FFd >= 0) ::close(FFd);
    FFd = other.Release();
  }
  return *this;
}

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

int BoundPort(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  return ntohs(a.sin_port);
}

}  // namespace

LoopbackListener::LoopbackListener() : FFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in a = Loopback(0);
  if (::bind(FFd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(FFd.Get(), 16) != 0)
    throw std::runtime_error("loopback listener");
  FPort = BoundPort(FFd.Get());
}

Fd LoopbackListener::Accept(int timeoutMs) {
  pollfd p{FFd.Get(), POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return Fd();
  return Fd(::accept4(FFd.Get(), nullptr, nullptr, SOCK_CLOEXEC));
}

Fd ConnectLoopback(int port) {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a = Loopback(port);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    throw std::runtime_error("loopback connect");
  return fd;
}

int UnusedLoopbackPort() {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a = Loopback(0);
  ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
  return BoundPort(fd.Get());
}

void SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) throw std::runtime_error("loopback send");
    sent += static_cast<std::size_t>(n);
  }
}

std::string ReadFor(int fd, std::size_t count, int timeoutMs) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (got.size() < count) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) != 1) break;
    char buffer[4096];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

void ResetAndClose(Fd& fd) {
  linger l{1, 0};
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &l, sizeof l);
  fd = Fd();
}

}  // namespace testing_support
