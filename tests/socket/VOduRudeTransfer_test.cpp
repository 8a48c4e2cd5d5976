#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/vcl/TApplication.h"
#include "platform/win/MessageQueue.h"
#include "platform/winsock/Winsock.h"
#include "socket/RezUrav.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/Pump.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Fd;
using testing_support::Hex;
using testing_support::LoopbackListener;
using testing_support::PumpUntil;
using testing_support::Sjis;
using Clock = std::chrono::steady_clock;

// A component with a client connection to a loopback peer the test controls.
class VOduRudeTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    rez->TargetIPAddress = "127.0.0.1";
    rez->TargetPort = listener.Port();
    s = rez->Open(false);  // blocking connect, then read and close selected
    peer = listener.Accept();
    ASSERT_GE(peer.Get(), 0);
  }
  void TearDown() override {
    rez->CloseSocket(s);
    rez.reset();
  }
  std::string ReceiveError() {
    char buffer[16];
    try {
      rez->ReceiveBuffer(s, buffer, sizeof buffer);
    } catch (const RezUrav::ECommError& e) {
      return e.Message;
    }
    return "no error";
  }
  std::unique_ptr<RezUrav::VOduRude> rez = std::make_unique<RezUrav::VOduRude>(nullptr);
  LoopbackListener listener;
  Fd peer;
  std::int32_t s = -1;
};

TEST_F(VOduRudeTransfer, NegativeTimeOutFailsAtOnceWithWouldBlock) {
  rez->TimeOut = -1;
  auto start = Clock::now();
  EXPECT_EQ(Hex(ReceiveError()), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [受信ｴﾗｰ] 操作がﾌﾞﾛｯｸしました")));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAEWOULDBLOCK);
}

TEST_F(VOduRudeTransfer, NoDataWaitsTimeOutPlusOnePeriodsHandlingMessagesThenTimesOut) {
  int handled = 0;
  win::HWND w = win::AllocateHWnd([&](win::TMessage&) { ++handled; });
  struct Case {
    int timeOut;
    int periods;
  } cases[] = {{0, 1}, {2, 3}};
  for (const Case& c : cases) {
    rez->TimeOut = c.timeOut;
    handled = 0;
    win::PostMessage(w, win::WM_USER, 0, 0);
    auto start = Clock::now();
    EXPECT_EQ(Hex(ReceiveError()), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [受信ｴﾗｰ] ﾀｲﾑｱｳﾄしました")));
    auto waited = Clock::now() - start;
    EXPECT_EQ(rez->ErrorNumber, winsock::WSAETIMEDOUT);
    EXPECT_EQ(handled, 1) << "messages are handled between the periods";
    EXPECT_GE(waited, std::chrono::milliseconds(100 * c.periods - 10)) << c.timeOut;
    EXPECT_LT(waited, std::chrono::milliseconds(100 * c.periods + 1000)) << c.timeOut;
  }
  win::DeallocateHWnd(w);
}

TEST_F(VOduRudeTransfer, WithoutAHandlerDataArrivingDuringTheWaitIsReceived) {
  rez->TimeOut = 50;
  win::HWND sender = win::AllocateHWnd([&](win::TMessage&) {
    testing_support::SendAll(peer.Get(), "late");
  });
  win::SetTimer(sender, 1, 150);
  std::string text;
  auto start = Clock::now();
  EXPECT_EQ(rez->ReceiveString(s, text, 64), 4);
  win::DeallocateHWnd(sender);
  EXPECT_EQ(text, "late");
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_EQ(rez->ErrorNumber, winsock::WSAEWOULDBLOCK) << "success does not clear the number";
}

TEST_F(VOduRudeTransfer, WithAHandlerAssignedTheWaitIsNeverSignalled) {
  rez->onReceive = [](vcl::TObject*, std::int32_t) {};
  rez->TimeOut = 1;
  win::HWND sender = win::AllocateHWnd([&](win::TMessage&) {
    testing_support::SendAll(peer.Get(), "x");
  });
  win::SetTimer(sender, 1, 50);
  EXPECT_EQ(Hex(ReceiveError()), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [受信ｴﾗｰ] ﾀｲﾑｱｳﾄしました")));
  win::DeallocateHWnd(sender);
}

TEST_F(VOduRudeTransfer, ReceiveStringCutsAtNulButCountsEveryByte) {
  struct Case {
    std::string sent;
    std::int32_t count;
    std::string text;
    std::int32_t result;
  } cases[] = {
      {std::string("ab\0cd", 5), 64, "ab", 5},
      {"abcdef", 4, "abcd", 4},  // exactly Count bytes: the NUL goes in the last byte
  };
  rez->TimeOut = 20;  // the receive waits for the bytes if they are not there yet
  for (const Case& c : cases) {
    testing_support::SendAll(peer.Get(), c.sent);
    std::string text = "old";
    EXPECT_EQ(rez->ReceiveString(s, text, c.count), c.result);
    EXPECT_EQ(text, c.text);
    std::string rest;
    auto left = static_cast<std::int32_t>(c.sent.size()) - c.result;
    if (left > 0) {
      EXPECT_EQ(rez->ReceiveString(s, rest, left), left);
    }
  }
}

TEST_F(VOduRudeTransfer, ReceiveStringConvertsTheBlockToShiftJis) {
  testing_support::SendAll(peer.Get(), "\xA4\xA2\xA4\xA4\r\n");  // EUC-JP
  std::string text;
  rez->TimeOut = 20;
  rez->ReceiveString(s, text, 64);
  EXPECT_EQ(Hex(text), Hex(Sjis("あい\r\n")));
}

TEST_F(VOduRudeTransfer, PeerCloseGivesZeroAndAnEmptyText) {
  peer = Fd();
  rez->TimeOut = 20;
  std::string text = "old";
  EXPECT_EQ(rez->ReceiveString(s, text, 64), 0);
  EXPECT_EQ(text, "");
}

TEST_F(VOduRudeTransfer, AFailedReceiveLeavesTheTextAlone) {
  rez->TimeOut = -1;
  std::string text = "kept";
  EXPECT_THROW(rez->ReceiveString(s, text, 64), RezUrav::ECommError);
  EXPECT_EQ(text, "kept");
}

TEST_F(VOduRudeTransfer, SendStringSendsEveryByteAndNothingMore) {
  std::string big(5000, 'z');
  big[10] = '\0';
  big[4999] = '\0';
  EXPECT_EQ(rez->SendString(s, big), 5000);
  EXPECT_EQ(rez->SendString(s, ""), 0);
  EXPECT_EQ(rez->SendString(s, "*password#POR1\r"), 15);
  std::string got = testing_support::ReadFor(peer.Get(), 5015, 2000);
  EXPECT_EQ(got, big + "*password#POR1\r");
}

// The send that fills the buffer is usually taken only in part: each count
// returned must be what went on the wire, no more and no less.
TEST_F(VOduRudeTransfer, SendIntoAFullBufferFailsAtOnceWithWouldBlock) {
  const std::string chunk(1 << 20, 'x');
  std::size_t sent = 0;
  try {
    for (int i = 0; i < 256; ++i) {
      const std::int32_t n = rez->SendString(s, chunk);
      ASSERT_GE(n, 0);
      ASSERT_LE(static_cast<std::size_t>(n), chunk.size());
      sent += static_cast<std::size_t>(n);
    }
    FAIL() << "the buffer never filled";
  } catch (const RezUrav::ECommError& e) {
    EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [送信ｴﾗｰ] 操作がﾌﾞﾛｯｸしました")));
  }
  const std::string got = testing_support::ReadFor(peer.Get(), sent, 5000);
  EXPECT_EQ(got.size(), sent) << "the counts returned all reached the peer";
  EXPECT_EQ(got.find_first_not_of('x'), std::string::npos);
  rez->CloseSocket(s);  // the peer now reads to the end of the stream at once
  s = -1;
  EXPECT_EQ(testing_support::ReadFor(peer.Get(), 1, 5000), "") << "nothing beyond them";
}

TEST(VOduRudeSend, SendingOnASocketThatNeverConnectedReportsNotConnected) {
  RezUrav::VOduRude rez(nullptr);
  winsock::SOCKET s = winsock::socket(winsock::AF_INET, winsock::SOCK_STREAM, 0);
  try {
    rez.SendString(s, "x");
    FAIL() << "must raise";
  } catch (const RezUrav::ECommError& e) {
    EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [送信ｴﾗｰ] ｿｹｯﾄが接続されていません")));
    EXPECT_EQ(Hex(e.ErrorText()), Hex(Sjis("[送信ｴﾗｰ] ｿｹｯﾄが接続されていません")));
  }
  EXPECT_EQ(rez.ErrorNumber, winsock::WSAENOTCONN);
  winsock::closesocket(s);
}

}  // namespace
