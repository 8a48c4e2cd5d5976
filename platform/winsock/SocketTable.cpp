#include "platform/winsock/SocketTable.h"

#include <sys/ioctl.h>

#include <cerrno>
#include <climits>
#include <map>

#include "platform/win/MessageQueue.h"
#include "platform/winsock/ErrnoMap.h"
#include "platform/winsock/PosixSockets.h"

namespace winsock::detail {
namespace {

std::map<SOCKET, SocketEntry> g_sockets;
// Multiples of four from 1000, like the kernel handles of the original.
SOCKET g_nextHandle = 1000;

void Post(SOCKET s, const SocketEntry& e, long event, int error) {
  win::PostMessage(e.window, e.message, static_cast<win::WPARAM>(s),
                   static_cast<win::LPARAM>(WSAMAKESELECTREPLY(
                       static_cast<std::uint16_t>(event), static_cast<std::uint16_t>(error))));
}

bool Selected(const SocketEntry& e, long event) {
  return e.window != 0 && (e.mask & event) != 0;
}

bool PeerWaitsToBeAccepted(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

// FD_READ and FD_ACCEPT stay off after one is posted until the call that
// takes what they announce.
void PostRead(SOCKET s, SocketEntry& e) {
  Post(s, e, FD_READ, 0);
  e.readPosted = true;
}

void PostAccept(SOCKET s, SocketEntry& e) {
  Post(s, e, FD_ACCEPT, 0);
  e.acceptPosted = true;
}

// After a selection or an accept: FD_ACCEPT at once for a peer already waiting.
void PostAcceptIfWaiting(SOCKET s, SocketEntry& e) {
  if (Selected(e, FD_ACCEPT) && PeerWaitsToBeAccepted(e.fd)) PostAccept(s, e);
}

int UnreadBytes(int fd) {
  int count = 0;
  return ::ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

int TakeSocketError(SocketEntry& e) {
  int err = 0;
  socklen_t len = sizeof err;
  ::getsockopt(e.fd, SOL_SOCKET, SO_ERROR, &err, &len);
  if (err != 0) e.socketError = err;
  return e.socketError;
}

short Interest(const SocketEntry& e) {
  if (e.window == 0 || e.mask == 0 || e.waitForRecv) return 0;
  if (e.connecting) return POLLOUT;  // the outcome also ends the wait of other events
  if (e.listening) return Selected(e, FD_ACCEPT) && !e.acceptPosted ? POLLIN : 0;
  // An unconnected socket polls as hung up: there is nothing to watch yet.
  if (!e.connected || e.closePosted) return 0;
  short events = 0;
  if (Selected(e, FD_READ) && !e.readPosted) events |= POLLIN;
  if (Selected(e, FD_CLOSE)) events |= POLLRDHUP;
  return events;
}

void PostClose(SOCKET s, SocketEntry& e, int error) {
  if (Selected(e, FD_CLOSE) && !e.closePosted) Post(s, e, FD_CLOSE, error);
  e.closePosted = true;
}

// Turns what poll saw on a connected socket into at most one notification.
void OnConnectedReady(SOCKET s, SocketEntry& e, short revents) {
  if (revents & POLLERR) {
    PostClose(s, e, FromErrno(TakeSocketError(e)));
    return;
  }
  if (UnreadBytes(e.fd) > 0) {
    if (Selected(e, FD_READ) && !e.readPosted) {
      PostRead(s, e);
    } else {
      // The peer closed behind unread bytes: FD_CLOSE waits until they are read.
      e.waitForRecv = true;
    }
    return;
  }
  if (revents & (POLLIN | POLLRDHUP | POLLHUP)) PostClose(s, e, 0);
}

void OnReady(SOCKET s, short revents) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  if (e->connecting) {
    e->connecting = false;
    int err = TakeSocketError(*e);
    e->connected = err == 0;
    if (Selected(*e, FD_CONNECT)) Post(s, *e, FD_CONNECT, err == 0 ? 0 : FromErrno(err));
  } else if (e->listening) {
    PostAccept(s, *e);
  } else {
    OnConnectedReady(s, *e, revents);
  }
  Rearm(s);
}


}  // namespace

SocketEntry* FindSocket(SOCKET s) {
  auto it = g_sockets.find(s);
  return it == g_sockets.end() ? nullptr : &it->second;
}

SOCKET AddSocket(int fd) {
  if (g_nextHandle > INT_MAX - 4) return INVALID_SOCKET;
  SOCKET s = g_nextHandle;
  g_nextHandle += 4;
  g_sockets[s].fd = fd;
  return s;
}

void RemoveSocket(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  win::UnwatchFd(e->fd);
  g_sockets.erase(s);
}

int SocketCount() { return static_cast<int>(g_sockets.size()); }

void Rearm(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  short events = Interest(*e);
  if (events == 0) {
    win::UnwatchFd(e->fd);
    return;
  }
  win::WatchFd(e->fd, events, [s](short revents) { OnReady(s, revents); });
}

void PostConditionsThatHold(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  e->readPosted = e->acceptPosted = e->waitForRecv = false;
  if (e->listening) {
    PostAcceptIfWaiting(s, *e);
  } else if (e->connected) {
    pollfd p{e->fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) == 1 && p.revents != 0) OnConnectedReady(s, *e, p.revents);
  }
  Rearm(s);
}

void ReenableRead(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  e->readPosted = false;
  e->waitForRecv = false;
  if (Selected(*e, FD_READ) && !e->closePosted && UnreadBytes(e->fd) > 0) PostRead(s, *e);
  Rearm(s);
}

void ReenableAccept(SOCKET s) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  e->acceptPosted = false;
  PostAcceptIfWaiting(s, *e);
  Rearm(s);
}

void PostConnectOutcome(SOCKET s, int error) {
  SocketEntry* e = FindSocket(s);
  if (e == nullptr) return;
  e->connecting = false;
  if (Selected(*e, FD_CONNECT)) Post(s, *e, FD_CONNECT, error);
  Rearm(s);
}

}  // namespace winsock::detail
