#include "tools/zorvel-sim/Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "tools/zorvel-sim/Device.h"

namespace zorvel {
namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) { g_stop = 1; }

struct Session {
  int fd;
  Device device;
  std::string pending;                    // answer held back by --answer-delay
  Clock::time_point answerAt{};
  bool closeAfterSend = false;
};

void SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the client went away; the session ends on its next read
    sent += static_cast<std::size_t>(n);
  }
}

int Listen(const Options& o) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(o.port));
  if (::inet_pton(AF_INET, o.bindAddress.c_str(), &a.sin_addr) != 1) {
    std::fprintf(stderr, "zorvel-sim: bad address %s\n", o.bindAddress.c_str());
    return -1;
  }
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
    std::perror("zorvel-sim: listen");
    return -1;
  }
  return fd;
}

int BoundPort(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  return ntohs(a.sin_port);
}

void Answer(Session& s, const std::string& reply, const Options& o) {
  if (reply.empty()) return;
  s.pending += reply;
  s.answerAt = Clock::now() + std::chrono::milliseconds(o.answerDelayMs);
  s.closeAfterSend = o.closeAfterAnswer;
}

int PollTimeout(const std::list<Session>& sessions) {
  int timeout = -1;
  for (const Session& s : sessions) {
    if (s.pending.empty()) continue;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(s.answerAt - Clock::now());
    int ms = left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
    if (timeout < 0 || ms < timeout) timeout = ms;
  }
  return timeout;
}

}  // namespace

int Serve(const Options& o) {
  struct sigaction stop{};
  stop.sa_handler = OnStopSignal;
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int listener = Listen(o);
  if (listener < 0) return 1;
  int port = BoundPort(listener);
  if (!o.portFile.empty()) std::ofstream(o.portFile) << port << "\n";
  std::fprintf(stderr, "zorvel-sim: listening on %s:%d\n", o.bindAddress.c_str(), port);

  std::list<Session> sessions;
  bool served = false;
  while (!g_stop && !(o.once && served && sessions.empty())) {
    std::vector<pollfd> fds{{listener, POLLIN, 0}};
    for (const Session& s : sessions) fds.push_back({s.fd, POLLIN, 0});
    int n = ::poll(fds.data(), fds.size(), PollTimeout(sessions));
    if (n < 0 && errno != EINTR) break;

    if (fds[0].revents & POLLIN) {
      int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0 && static_cast<int>(sessions.size()) >= o.maxUsers) {
        SendAll(fd, Device::Refusal());
        ::close(fd);
      } else if (fd >= 0) {
        sessions.push_back(Session{fd, Device(o), {}, {}, false});
        SendAll(fd, sessions.back().device.Greeting());
        served = true;
      }
    }
    std::size_t i = 1;
    for (auto it = sessions.begin(); it != sessions.end(); ++i) {
      Session& s = *it;
      bool closed = false;
      if (i < fds.size() && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buffer[4096];
        ssize_t got = ::recv(s.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
          closed = true;
        } else {
          Answer(s, s.device.Receive(std::string_view(buffer, static_cast<std::size_t>(got))), o);
        }
      }
      if (!closed && !s.pending.empty() && Clock::now() >= s.answerAt) {
        SendAll(s.fd, s.pending);
        s.pending.clear();
        closed = s.closeAfterSend;
      }
      if (closed) {
        ::close(s.fd);
        it = sessions.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (Session& s : sessions) ::close(s.fd);
  ::close(listener);
  return 0;
}

}  // namespace zorvel
