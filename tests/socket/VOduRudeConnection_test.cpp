#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/TApplication.h"
#include "platform/winsock/Winsock.h"
#include "socket/RezUrav.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/Pump.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Fd;
using testing_support::Hex;
using testing_support::LoopbackListener;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::Sjis;

class VOduRudeConnection : public ::testing::Test {
 protected:
  void SetUp() override {
    baseSockets = winsock::OpenSocketCount();
    vcl::Application->OnException = [this](vcl::TObject*, const vcl::Exception& e) {
      reports.push_back(e.Message);
    };
  }
  void TearDown() override {
    vcl::Application->OnException = nullptr;
    for (auto s : toClose) winsock::closesocket(s);
    rez.reset();
  }
  void Bind(std::vector<std::string>& events) {
    rez->onConnect = [&events](vcl::TObject*, std::int32_t) { events.push_back("connect"); };
    rez->onReceive = [&events](vcl::TObject*, std::int32_t) { events.push_back("receive"); };
    rez->onClose = [&events](vcl::TObject*, std::int32_t) { events.push_back("close"); };
  }
  std::int32_t OpenClient(int port) {
    rez->TargetIPAddress = "127.0.0.1";
    rez->TargetPort = port;
    std::int32_t s = rez->Open(false);
    toClose.push_back(s);
    return s;
  }

  std::unique_ptr<RezUrav::VOduRude> rez = std::make_unique<RezUrav::VOduRude>(nullptr);
  LoopbackListener listener;
  std::vector<std::string> reports;
  std::vector<std::int32_t> toClose;
  int baseSockets = 0;
};

TEST_F(VOduRudeConnection, ClientWithOnConnectOpensWithoutBlockingAndReportsByEvents) {
  std::vector<std::string> events;
  Bind(events);
  std::int32_t s = OpenClient(listener.Port());
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAEWOULDBLOCK) << "the connect goes on";
  EXPECT_GT(rez->SelfPort, 0);
  ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
  EXPECT_EQ(events[0], "connect");

  Fd peer = listener.Accept();
  testing_support::SendAll(peer.Get(), "hello");
  ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
  EXPECT_EQ(events[1], "receive");
  char buffer[16];
  EXPECT_EQ(rez->ReceiveBuffer(s, buffer, sizeof buffer), 5);
  peer = Fd();
  ASSERT_TRUE(PumpUntil([&] { return events.size() >= 3; }));
  EXPECT_EQ(events[2], "close");
}

TEST_F(VOduRudeConnection, RefusedConnectWithOnConnectRaisesNothingAndNoEventFollows) {
  std::vector<std::string> events;
  Bind(events);
  OpenClient(testing_support::UnusedLoopbackPort());
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAEWOULDBLOCK);
  PumpFor(200);
  EXPECT_TRUE(events.empty()) << "a failed attempt raises no event at all";
}

TEST_F(VOduRudeConnection, RefusedBlockingConnectRaisesWithTheAddressAndClosesTheSocket) {
  rez->TargetIPAddress = "127.0.0.1";
  rez->TargetPort = testing_support::UnusedLoopbackPort();
  try {
    rez->Open(false);
    FAIL() << "a refused blocking connect must raise";
  } catch (const RezUrav::ECommError& e) {
    EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [接続ｴﾗｰ] 127.0.0.1接続が拒否されました")));
  }
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAECONNREFUSED);
  EXPECT_EQ(winsock::OpenSocketCount(), baseSockets) << "the failed socket is closed";
}

TEST_F(VOduRudeConnection, OnlyTheLow16BitsOfTargetPortAreUsed) {
  rez->TargetIPAddress = "127.0.0.1";
  rez->TargetPort = 65536 + listener.Port();
  toClose.push_back(rez->Open(false));  // blocking: succeeds only on the right port
  EXPECT_EQ(rez->ErrorNumber, 0);
  EXPECT_TRUE(listener.Accept(1000).Get() >= 0);
}

TEST_F(VOduRudeConnection, SharedOpenReturnsTheSocketHeldWithoutANewOne) {
  rez->TargetIPAddress = "127.0.0.1";
  rez->TargetPort = listener.Port();
  std::int32_t first = rez->Open(true);  // no socket yet: a plain open
  toClose.push_back(first);
  int sockets = winsock::OpenSocketCount();
  rez->ErrorNumber = 99;
  EXPECT_EQ(rez->Open(true), first);
  EXPECT_EQ(rez->ErrorNumber, 0);
  EXPECT_EQ(winsock::OpenSocketCount(), sockets);
}

TEST_F(VOduRudeConnection, ServerAcceptsReceivesAndClosingAnAcceptedSocketClosesTheListener) {
  rez->ServerMode = true;
  rez->TargetPort = 0;
  std::vector<std::pair<std::int32_t, std::string>> accepted;
  std::vector<std::int32_t> received;
  rez->onAccept = [&](vcl::TObject* sender, std::int32_t s, const std::string& ip) {
    EXPECT_EQ(sender, rez.get());
    accepted.emplace_back(s, ip);
  };
  rez->onReceive = [&](vcl::TObject*, std::int32_t s) { received.push_back(s); };
  std::int32_t listening = rez->Open(false);
  ASSERT_GT(rez->SelfPort, 0) << "the port the system chose";

  Fd client = testing_support::ConnectLoopback(rez->SelfPort);
  ASSERT_TRUE(PumpUntil([&] { return !accepted.empty(); }));
  EXPECT_EQ(accepted[0].second, "127.0.0.1");
  std::int32_t s = accepted[0].first;
  EXPECT_NE(s, listening);
  testing_support::SendAll(client.Get(), "x");
  ASSERT_TRUE(PumpUntil([&] { return !received.empty(); }));
  EXPECT_EQ(received[0], s) << "read notifications carry the accepted socket";

  int port = rez->SelfPort;
  rez->CloseSocket(s);
  EXPECT_THROW(testing_support::ConnectLoopback(port), std::runtime_error)
      << "the listening socket is closed too";
  EXPECT_EQ(winsock::OpenSocketCount(), baseSockets);
}

TEST_F(VOduRudeConnection, NotificationsWithErrorsOrOtherEventsRaiseNothing) {
  std::vector<std::string> events;
  Bind(events);
  struct Case {
    int event;
    int error;
  } cases[] = {{winsock::FD_WRITE, 0},  {winsock::FD_OOB, 0},
               {winsock::FD_CLOSE, 10054}, {winsock::FD_CONNECT, 10061},
               {winsock::FD_READ, 10050}};
  for (const Case& c : cases) {
    win::TMessage m{RezUrav::WM_SOCKETNOTIFY, 1000,
                    static_cast<win::LPARAM>(winsock::WSAMAKESELECTREPLY(
                        static_cast<std::uint16_t>(c.event), static_cast<std::uint16_t>(c.error))),
                    0};
    rez->WndProc(m);
  }
  win::TMessage other{win::WM_USER, 1000, winsock::FD_READ, 0};
  rez->WndProc(other);
  EXPECT_TRUE(events.empty());
}

TEST_F(VOduRudeConnection, AnExceptionInOnConnectIsReportedAndReadsStillGetSelected) {
  std::vector<std::int32_t> received;
  rez->onConnect = [](vcl::TObject*, std::int32_t) { throw vcl::Exception("handler failed"); };
  rez->onReceive = [&](vcl::TObject*, std::int32_t s) {
    received.push_back(s);
    char buffer[8];
    rez->ReceiveBuffer(s, buffer, sizeof buffer);
  };
  std::int32_t s = OpenClient(listener.Port());
  Fd peer = listener.Accept();
  testing_support::SendAll(peer.Get(), "data");  // arrives before the selection
  ASSERT_TRUE(PumpUntil([&] { return !received.empty(); }));
  EXPECT_EQ(received[0], s);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "handler failed");
}

TEST_F(VOduRudeConnection, WatchdogCancelsASendThatStaysBlocked) {
  // A socket without notifications blocks; a peer that never reads fills it.
  rez->TimeOut = 3;
  rez->TargetIPAddress = "127.0.0.1";
  rez->TargetPort = listener.Port();
  toClose.push_back(rez->Open(false));  // enables the component's 100 ms timer
  winsock::SOCKET blocking = winsock::socket(winsock::AF_INET, winsock::SOCK_STREAM, 0);
  toClose.push_back(blocking);
  winsock::sockaddr_in target;
  target.sin_family = winsock::AF_INET;
  target.sin_port = winsock::htons(static_cast<winsock::u_short>(listener.Port()));
  target.sin_addr.s_addr = winsock::inet_addr("127.0.0.1");
  ASSERT_EQ(winsock::connect(blocking, reinterpret_cast<winsock::sockaddr*>(&target),
                             sizeof target), 0);
  Fd first = listener.Accept(), idle = listener.Accept();

  std::string huge(64 << 20, 'x');
  auto start = std::chrono::steady_clock::now();
  try {
    rez->SendBuffer(blocking, huge.data(), static_cast<std::int32_t>(huge.size()));
    FAIL() << "the send must be cancelled";
  } catch (const RezUrav::ECommError& e) {
    EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [送信ｴﾗｰ] ﾌﾞﾛｯｸ操作が取り消されました")));
  }
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAEINTR);
  // The cancel comes on the fourth tick after the send began; the first may
  // be one that fell due before it, so 300 to 400 ms, or a period less.
  EXPECT_GE(waited, std::chrono::milliseconds(190));
  EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

}  // namespace
