// Plain POSIX peers on 127.0.0.1 for tests of the socket layers: a listener on
// an ephemeral port, clients, and helpers to read or reset them.
#pragma once

#include <string>

namespace testing_support {

// Owns one descriptor; closes it when destroyed.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : FFd(fd) {}
  ~Fd();
  Fd(Fd&& other) noexcept : FFd(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept;
  int Get() const { return FFd; }
  int Release() {
    int fd = FFd;
    FFd = -1;
    return fd;
  }

 private:
  int FFd = -1;
};

// A listening socket on 127.0.0.1 with a port the system chose.
class LoopbackListener {
 public:
  LoopbackListener();
  int Port() const { return FPort; }
  // Waits up to timeoutMs for a peer; an invalid Fd when none came.
  Fd Accept(int timeoutMs = 5000);

 private:
  Fd FFd;
  int FPort = 0;
};

// A blocking client connected to 127.0.0.1:port.
Fd ConnectLoopback(int port);
// A port on 127.0.0.1 where nothing listens (bound once, then released).
int UnusedLoopbackPort();
void SendAll(int fd, const std::string& bytes);
// Reads what arrives until `count` bytes came or timeoutMs passed.
std::string ReadFor(int fd, std::size_t count, int timeoutMs);
// Closes with a reset instead of a graceful close.
void ResetAndClose(Fd& fd);

}  // namespace testing_support
