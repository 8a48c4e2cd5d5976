#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "platform/win/MessageQueue.h"
#include "platform/winsock/Blocking.h"
#include "platform/winsock/ErrnoMap.h"
#include "platform/winsock/PosixSockets.h"
#include "platform/winsock/SocketTable.h"
#include "platform/winsock/Winsock.h"

namespace winsock {
namespace {

using detail::Fail;
using detail::FailFromErrno;
using detail::FindSocket;
using detail::SocketEntry;

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINPROGRESS; }

::sockaddr_in ToPosix(const sockaddr_in& in) {
  ::sockaddr_in out{};
  out.sin_family = PF_INET;
  out.sin_port = in.sin_port;
  out.sin_addr.s_addr = in.sin_addr.s_addr;
  return out;
}

sockaddr_in FromPosix(const ::sockaddr_in& in) {
  sockaddr_in out;
  out.sin_family = AF_INET;
  out.sin_port = in.sin_port;
  out.sin_addr.s_addr = in.sin_addr.s_addr;
  return out;
}

// Dispatches what waits in the queue, as the blocking hook of the original
// does. A quit request met here is kept for the loop that owns it.
void DispatchWaiting(bool& quitSeen, int& quitCode) {
  win::MSG msg;
  while (win::PeekMessage(msg, win::PM_REMOVE)) {
    if (msg.message == win::WM_QUIT) {
      quitSeen = true;
      quitCode = static_cast<int>(msg.wParam);
      continue;
    }
    win::DispatchMessage(msg);
  }
}

// Runs `attempt` (a POSIX call that returns -1 with errno) until it stops
// answering "would block", waiting for `events` on the socket in poll() and
// dispatching the thread's messages meanwhile.
template <class Attempt>
long BlockingCall(SOCKET s, short events, Attempt attempt) {
  detail::BlockingScope scope;
  if (scope.Refused()) return Fail(WSAEINPROGRESS);
  bool quitSeen = false;
  int quitCode = 0;
  long result;
  for (;;) {
    SocketEntry* e = FindSocket(s);
    if (e == nullptr) {  // closed by a handler meanwhile
      result = Fail(WSAEINTR);
      break;
    }
    result = attempt(*e);
    if (result >= 0 || !WouldBlock(errno)) {
      if (result < 0) result = FailFromErrno();
      break;
    }
    DispatchWaiting(quitSeen, quitCode);
    if (scope.Cancelled()) {
      result = Fail(WSAEINTR);
      break;
    }
    if ((e = FindSocket(s)) != nullptr) win::WaitForWork(e->fd, events, -1);
  }
  if (quitSeen) win::PostQuitMessage(quitCode);
  return result;
}

// One attempt on a socket with notifications selected (non-blocking), or the
// blocking wait otherwise; a failure is recorded as the last error.
template <class Attempt>
long AttemptOrBlock(SOCKET s, SocketEntry& e, short events, Attempt attempt) {
  if (!e.nonBlocking) return BlockingCall(s, events, attempt);
  long result = attempt(e);
  return result < 0 ? FailFromErrno() : result;
}

// A handle for a new descriptor; when the table is full, the descriptor is
// closed and the call fails with WSAEMFILE.
SOCKET Adopt(int fd) {
  SOCKET s = detail::AddSocket(fd);
  if (s == INVALID_SOCKET) {
    ::close(fd);
    return Fail(WSAEMFILE);
  }
  return s;
}

bool AddressArgumentOk(const void* name, int length) {
  return name != nullptr && length >= static_cast<int>(sizeof(sockaddr_in));
}

}  // namespace

SOCKET socket(int af, int type, int protocol) {
  if (StartedCount() == 0) return Fail(WSANOTINITIALISED);
  if (af != AF_INET) return Fail(WSAEAFNOSUPPORT);
  if (type != SOCK_STREAM) return Fail(WSAESOCKTNOSUPPORT);
  if (protocol != 0 && protocol != IPPROTO_TCP) return Fail(WSAEPROTONOSUPPORT);
  int fd = ::socket(PF_INET, ::SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return FailFromErrno();
  return Adopt(fd);
}

int bind(SOCKET s, const sockaddr* name, int nameLength) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (!AddressArgumentOk(name, nameLength)) return Fail(WSAEFAULT);
  ::sockaddr_in address = ToPosix(*reinterpret_cast<const sockaddr_in*>(name));
  // Like the original, a port whose old connections linger may be bound again.
  int on = 1;
  if (address.sin_port != 0) ::setsockopt(e->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(e->fd, reinterpret_cast<::sockaddr*>(&address), sizeof address) != 0)
    return FailFromErrno();
  return 0;
}

int getsockname(SOCKET s, sockaddr* name, int* nameLength) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (nameLength == nullptr || !AddressArgumentOk(name, *nameLength)) return Fail(WSAEFAULT);
  ::sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(e->fd, reinterpret_cast<::sockaddr*>(&address), &length) != 0)
    return FailFromErrno();
  *reinterpret_cast<sockaddr_in*>(name) = FromPosix(address);
  *nameLength = sizeof(sockaddr_in);
  return 0;
}

int listen(SOCKET s, int backlog) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (::listen(e->fd, backlog) != 0) return FailFromErrno();
  e->listening = true;
  detail::Rearm(s);
  return 0;
}

int connect(SOCKET s, const sockaddr* name, int nameLength) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (!AddressArgumentOk(name, nameLength)) return Fail(WSAEFAULT);
  ::sockaddr_in address = ToPosix(*reinterpret_cast<const sockaddr_in*>(name));
  auto* target = reinterpret_cast<::sockaddr*>(&address);
  int rc = ::connect(e->fd, target, sizeof address);
  int err = rc == 0 ? 0 : errno;

  if (e->nonBlocking) {
    // The outcome always comes by FD_CONNECT; only errors found without the
    // network (no route, address not available) fail at once.
    if (err == 0 || err == EINPROGRESS) {
      e->connecting = true;
      detail::Rearm(s);
    } else if (err == ECONNREFUSED || err == ETIMEDOUT) {
      detail::PostConnectOutcome(s, detail::FromErrno(err));
    } else {
      return Fail(detail::FromErrno(err));
    }
    return Fail(WSAEWOULDBLOCK);
  }

  if (err == 0) {
    e->connected = true;
    return 0;
  }
  if (err != EINPROGRESS) return Fail(detail::FromErrno(err));
  long result = BlockingCall(s, POLLOUT, [](SocketEntry& entry) -> long {
    pollfd p{entry.fd, POLLOUT, 0};
    if (::poll(&p, 1, 0) == 0) {
      errno = EINPROGRESS;
      return -1;
    }
    int soError = 0;
    socklen_t len = sizeof soError;
    ::getsockopt(entry.fd, SOL_SOCKET, SO_ERROR, &soError, &len);
    errno = soError;
    return soError == 0 ? 0 : -1;
  });
  if (SocketEntry* done = FindSocket(s); result == 0 && done != nullptr) done->connected = true;
  return static_cast<int>(result);
}

SOCKET accept(SOCKET s, sockaddr* address, int* addressLength) {
  SocketEntry* listening = FindSocket(s);
  if (listening == nullptr) return Fail(WSAENOTSOCK);
  if (!listening->listening) return Fail(WSAEINVAL);
  if (address != nullptr && (addressLength == nullptr || *addressLength < 16))
    return Fail(WSAEFAULT);
  ::sockaddr_in peer{};
  auto attempt = [&peer](SocketEntry& entry) -> long {
    socklen_t length = sizeof peer;
    return ::accept4(entry.fd, reinterpret_cast<::sockaddr*>(&peer), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
  };
  long fd = AttemptOrBlock(s, *listening, POLLIN, attempt);
  detail::ReenableAccept(s);
  if (fd < 0) return INVALID_SOCKET;

  SOCKET accepted = Adopt(static_cast<int>(fd));
  if (accepted == INVALID_SOCKET) return INVALID_SOCKET;
  // The new socket reports to the listening socket's window, message and mask.
  listening = FindSocket(s);
  SocketEntry* e = FindSocket(accepted);
  e->connected = true;
  if (listening != nullptr) {
    e->nonBlocking = listening->nonBlocking;
    e->window = listening->window;
    e->message = listening->message;
    e->mask = listening->mask;
  }
  detail::Rearm(accepted);
  if (address != nullptr) {
    *reinterpret_cast<sockaddr_in*>(address) = FromPosix(peer);
    *addressLength = sizeof(sockaddr_in);
  }
  return accepted;
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (length < 0 || (buffer == nullptr && length > 0)) return Fail(WSAEFAULT);
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  // Linux answers EPIPE for a socket that never connected.
  if (!e->connected && !e->connecting) return Fail(WSAENOTCONN);
  if (e->nonBlocking) {
    ssize_t n = ::send(e->fd, buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
    return n < 0 ? FailFromErrno() : static_cast<int>(n);
  }
  // A blocking send returns when all of it is with the system.
  int sent = 0;
  long result = BlockingCall(s, POLLOUT, [&](SocketEntry& entry) -> long {
    while (sent < length) {
      ssize_t n = ::send(entry.fd, buffer + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
      if (n < 0) return -1;
      sent += static_cast<int>(n);
    }
    return sent;
  });
  return static_cast<int>(result);
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (length < 0 || (buffer == nullptr && length > 0)) return Fail(WSAEFAULT);
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  auto attempt = [&](SocketEntry& entry) -> long {
    return ::recv(entry.fd, buffer, static_cast<size_t>(length), 0);
  };
  long n = AttemptOrBlock(s, *e, POLLIN, attempt);
  // Every recv, failed or partial, re-enables FD_READ.
  detail::ReenableRead(s);
  return static_cast<int>(n);
}

int closesocket(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  int fd = e->fd;
  detail::RemoveSocket(s);
  ::close(fd);
  return 0;
}

int WSAAsyncSelect(SOCKET s, win::HWND window, win::UINT message, long events) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return Fail(WSAENOTSOCK);
  if (events != 0 && !win::IsWindow(window)) return Fail(WSAEINVAL);
  e->nonBlocking = true;
  e->window = events == 0 ? 0 : window;
  e->message = message;
  e->mask = events;
  detail::PostConditionsThatHold(s);
  return 0;
}

int OpenSocketCount() { return detail::SocketCount(); }

}  // namespace winsock
