#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/MessageQueue.h"
#include "platform/winsock/Winsock.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/Pump.h"

namespace {

namespace ws = winsock;
using testing_support::Fd;
using testing_support::LoopbackListener;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::PumpWaiting;

constexpr win::UINT kNotify = win::WM_USER + 100;

struct Notification {
  ws::SOCKET s;
  int event;
  int error;
  bool operator==(const Notification&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Notification& n) {
  return os << "{" << n.s << ", event " << n.event << ", error " << n.error << "}";
}

class WinsockSockets : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ws::WSAStartup(0x0101, &data), 0); }
  void TearDown() override {
    for (ws::SOCKET s : open) ws::closesocket(s);
    win::DeallocateHWnd(window);
    ws::WSACleanup();
    EXPECT_EQ(ws::OpenSocketCount(), 0);
  }

  ws::SOCKET NewSocket() {
    ws::SOCKET s = ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0);
    EXPECT_NE(s, ws::INVALID_SOCKET);
    open.push_back(s);
    return s;
  }
  static ws::sockaddr_in Loopback(int port) {
    ws::sockaddr_in a;
    a.sin_family = ws::AF_INET;
    a.sin_port = ws::htons(static_cast<ws::u_short>(port));
    a.sin_addr.s_addr = ws::inet_addr("127.0.0.1");
    return a;
  }
  static const ws::sockaddr* Addr(const ws::sockaddr_in& a) {
    return reinterpret_cast<const ws::sockaddr*>(&a);
  }
  // A socket connected to the listener with FD_READ + FD_CLOSE selected, and its peer.
  ws::SOCKET ConnectedPair(Fd& peer, long mask = ws::FD_READ | ws::FD_CLOSE) {
    ws::SOCKET s = NewSocket();
    auto a = Loopback(listener.Port());
    EXPECT_EQ(ws::connect(s, Addr(a), sizeof a), 0) << "blocking connect";
    peer = listener.Accept();
    EXPECT_EQ(ws::WSAAsyncSelect(s, window, kNotify, mask), 0);
    return s;
  }
  std::size_t Count(int event) const {
    std::size_t n = 0;
    for (const auto& x : seen) n += x.event == event;
    return n;
  }
  bool Saw(int event, std::size_t times = 1) {
    return PumpUntil([&] { return Count(event) >= times; });
  }

  ws::WSADATA data;
  LoopbackListener listener;
  std::vector<ws::SOCKET> open;
  std::vector<Notification> seen;
  win::HWND window = win::AllocateHWnd([this](win::TMessage& m) {
    if (m.Msg == kNotify)
      seen.push_back({static_cast<ws::SOCKET>(m.WParam), win::LOWORD(m.LParam),
                      win::HIWORD(m.LParam)});
  });
};

TEST_F(WinsockSockets, NonBlockingConnectWouldBlockThenReportsByFdConnect) {
  ws::SOCKET s = NewSocket();
  ASSERT_EQ(ws::WSAAsyncSelect(s, window, kNotify, ws::FD_CONNECT), 0);
  auto a = Loopback(listener.Port());
  EXPECT_EQ(ws::connect(s, Addr(a), sizeof a), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEWOULDBLOCK);
  ASSERT_TRUE(Saw(ws::FD_CONNECT));
  EXPECT_EQ(seen[0], (Notification{s, ws::FD_CONNECT, 0}));
}

TEST_F(WinsockSockets, RefusedConnectReportsItsErrorInTheHighWord) {
  ws::SOCKET s = NewSocket();
  ASSERT_EQ(ws::WSAAsyncSelect(s, window, kNotify, ws::FD_CONNECT), 0);
  auto a = Loopback(testing_support::UnusedLoopbackPort());
  EXPECT_EQ(ws::connect(s, Addr(a), sizeof a), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEWOULDBLOCK) << "never 10036";
  ASSERT_TRUE(Saw(ws::FD_CONNECT));
  EXPECT_EQ(seen[0], (Notification{s, ws::FD_CONNECT, ws::WSAECONNREFUSED}));
  PumpFor(100);
  EXPECT_EQ(seen.size(), 1u) << "the outcome comes once";
}

TEST_F(WinsockSockets, BlockingConnectRefusedFailsAtOnce) {
  ws::SOCKET s = NewSocket();
  auto a = Loopback(testing_support::UnusedLoopbackPort());
  EXPECT_EQ(ws::connect(s, Addr(a), sizeof a), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAECONNREFUSED);
}

TEST_F(WinsockSockets, FdReadComesAgainOnlyAfterRecvAndOnlyWhileBytesRemain) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer);
  testing_support::SendAll(peer.Get(), "0123456789");
  ASSERT_TRUE(Saw(ws::FD_READ));
  testing_support::SendAll(peer.Get(), "abc");
  PumpFor(100);
  EXPECT_EQ(Count(ws::FD_READ), 1u) << "no second FD_READ before recv";

  char buffer[64];
  EXPECT_EQ(ws::recv(s, buffer, 4, 0), 4);
  PumpWaiting();  // no poll needed: recv posted it
  EXPECT_EQ(Count(ws::FD_READ), 2u) << "a partial recv posts one more at once";
  EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), 9);
  PumpFor(100);
  EXPECT_EQ(Count(ws::FD_READ), 2u) << "nothing left, nothing posted";
  EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEWOULDBLOCK);
}

TEST_F(WinsockSockets, GracefulCloseWaitsUntilUnreadBytesAreReadAndComesOnce) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer);
  testing_support::SendAll(peer.Get(), "bye");
  peer = Fd();
  ASSERT_TRUE(Saw(ws::FD_READ));
  PumpFor(100);
  EXPECT_EQ(Count(ws::FD_CLOSE), 0u) << "no data may be lost to an early close";
  char buffer[16];
  EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), 3);
  ASSERT_TRUE(Saw(ws::FD_CLOSE));
  EXPECT_EQ(seen.back(), (Notification{s, ws::FD_CLOSE, 0}));
  EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), 0) << "end of file";
  PumpFor(100);
  EXPECT_EQ(Count(ws::FD_CLOSE), 1u);
  EXPECT_EQ(Count(ws::FD_READ), 1u) << "end of file alone never posts FD_READ";
}

TEST_F(WinsockSockets, ResetComesAsFdCloseWithConnectionReset) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer);
  testing_support::ResetAndClose(peer);
  ASSERT_TRUE(Saw(ws::FD_CLOSE));
  EXPECT_EQ(seen.back(), (Notification{s, ws::FD_CLOSE, ws::WSAECONNRESET}));
  // Sending now must give an error, not end the process with SIGPIPE.
  ws::send(s, "x", 1, 0);
  EXPECT_EQ(ws::send(s, "x", 1, 0), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAECONNRESET);
}

TEST_F(WinsockSockets, SelectingPostsConditionsThatAlreadyHoldAtOnce) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer, 0);
  testing_support::SendAll(peer.Get(), "early");
  PumpUntil([&] { return false; }, 50);
  ASSERT_EQ(ws::WSAAsyncSelect(s, window, kNotify, ws::FD_READ | ws::FD_CLOSE), 0);
  PumpWaiting();  // no poll needed: the selection posted it
  EXPECT_EQ(Count(ws::FD_READ), 1u);
}

TEST_F(WinsockSockets, SelectingNothingStopsNotificationsAndAQueuedOneStaysHarmless) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer);
  testing_support::SendAll(peer.Get(), "x");
  PumpUntil([&] { return false; }, 50);  // lets the FD_READ be queued, not handled
  ASSERT_EQ(ws::WSAAsyncSelect(s, window, 0, 0), 0);
  testing_support::SendAll(peer.Get(), "y");
  peer = Fd();
  PumpFor(100);
  EXPECT_LE(seen.size(), 1u) << "at most the one queued before";
}

TEST_F(WinsockSockets, HandlesAreNeverReusedSoStaleNotificationsFindNoSocket) {
  ws::SOCKET first = ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0);
  ASSERT_EQ(ws::closesocket(first), 0);
  ws::SOCKET second = NewSocket();
  EXPECT_NE(second, first) << "the descriptor number is reused, the handle must not be";
  char b;
  EXPECT_EQ(ws::recv(first, &b, 1, 0), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAENOTSOCK);
  EXPECT_EQ(ws::closesocket(first), ws::SOCKET_ERROR);
}

TEST_F(WinsockSockets, AcceptedSocketsInheritTheListenersSelection) {
  ws::SOCKET server = NewSocket();
  auto any = Loopback(0);
  any.sin_addr.s_addr = ws::inet_addr("127.0.0.1");
  ASSERT_EQ(ws::bind(server, Addr(any), sizeof any), 0);
  ws::sockaddr_in bound;
  int length = sizeof bound;
  ASSERT_EQ(ws::getsockname(server, reinterpret_cast<ws::sockaddr*>(&bound), &length), 0);
  ASSERT_EQ(ws::listen(server, 5), 0);
  ASSERT_EQ(ws::WSAAsyncSelect(server, window, kNotify,
                               ws::FD_READ | ws::FD_ACCEPT | ws::FD_CLOSE), 0);

  int port = ws::ntohs(bound.sin_port);
  Fd one = testing_support::ConnectLoopback(port);
  Fd two = testing_support::ConnectLoopback(port);
  ASSERT_TRUE(Saw(ws::FD_ACCEPT));
  PumpFor(50);
  EXPECT_EQ(Count(ws::FD_ACCEPT), 1u) << "FD_ACCEPT waits for accept";

  ws::sockaddr_in peer;
  int peerLength = sizeof peer;
  ws::SOCKET accepted = ws::accept(server, reinterpret_cast<ws::sockaddr*>(&peer), &peerLength);
  ASSERT_NE(accepted, ws::INVALID_SOCKET);
  open.push_back(accepted);
  EXPECT_STREQ(ws::inet_ntoa(peer.sin_addr), "127.0.0.1");
  PumpWaiting();
  EXPECT_EQ(Count(ws::FD_ACCEPT), 2u) << "a second peer waits: posted again at once";

  testing_support::SendAll(one.Get(), "hi");
  ASSERT_TRUE(Saw(ws::FD_READ));
  EXPECT_EQ(seen.back(), (Notification{accepted, ws::FD_READ, 0}));
}

TEST_F(WinsockSockets, BlockingRecvDispatchesTimersAndCanBeCancelledFromOne) {
  ws::SOCKET blocking = NewSocket();  // never selected, so its calls block
  auto a = Loopback(listener.Port());
  ASSERT_EQ(ws::connect(blocking, Addr(a), sizeof a), 0);
  Fd blockingPeer = listener.Accept();

  int ticks = 0;
  win::HWND timerWindow = win::AllocateHWnd([&](win::TMessage& m) {
    if (m.Msg != win::WM_TIMER) return;
    EXPECT_TRUE(ws::WSAIsBlocking());
    if (++ticks == 3) ws::WSACancelBlockingCall();
  });
  win::SetTimer(timerWindow, 1, 20);
  char buffer[8];
  EXPECT_EQ(ws::recv(blocking, buffer, sizeof buffer, 0), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEINTR);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(ws::WSAIsBlocking());
  win::DeallocateHWnd(timerWindow);

  testing_support::SendAll(blockingPeer.Get(), "ok");
  EXPECT_EQ(ws::recv(blocking, buffer, sizeof buffer, 0), 2) << "blocking recv gets its data";
  EXPECT_EQ(ws::send(blocking, "pong", 4, 0), 4);
  EXPECT_EQ(testing_support::ReadFor(blockingPeer.Get(), 4, 2000), "pong");
}

TEST_F(WinsockSockets, NonBlockingSendIntoAFullBufferWouldBlock) {
  Fd peer;
  ws::SOCKET s = ConnectedPair(peer);
  std::string chunk(65536, 'x');
  int result = 0;
  for (int i = 0; i < 1000 && result != ws::SOCKET_ERROR; ++i)
    result = ws::send(s, chunk.data(), static_cast<int>(chunk.size()), 0);
  EXPECT_EQ(result, ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEWOULDBLOCK);
}

}  // namespace
