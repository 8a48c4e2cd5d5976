#include "platform/winsock/Winsock.h"

#include <errno.h>
#include "platform/winsock/PosixSockets.h"
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/winsock/ErrnoMap.h"

namespace {

namespace ws = winsock;

// Windows Sockets started for the test's lifetime.
class Started : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ws::WSAStartup(0x0101, &data), 0); }
  void TearDown() override { ws::WSACleanup(); }
  ws::WSADATA data;
};

TEST(WinsockStartup, OffersVersionOnePointOneAndCountsCleanups) {
  ws::WSADATA data;
  int before = ws::StartedCount();
  ASSERT_EQ(ws::WSAStartup(0x0101, &data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_EQ(ws::StartedCount(), before + 1);
  EXPECT_EQ(ws::WSAStartup(0x0001, &data), ws::WSAVERNOTSUPPORTED);
  EXPECT_EQ(ws::WSAStartup(0x0101, nullptr), ws::WSAEFAULT);
  EXPECT_EQ(ws::WSACleanup(), 0);
  EXPECT_EQ(ws::StartedCount(), before);
}

TEST(WinsockStartup, CallsBeforeStartupFailWithNotInitialised) {
  ASSERT_EQ(ws::StartedCount(), 0);
  EXPECT_EQ(ws::WSACleanup(), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSANOTINITIALISED);
  char name[50];
  EXPECT_EQ(ws::gethostname(name, sizeof name), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSANOTINITIALISED);
  EXPECT_EQ(ws::gethostbyname("localhost"), nullptr);
}

TEST_F(Started, GethostnameGivesTheSystemNameOrRefusesASmallBuffer) {
  char expected[256] = {};
  ASSERT_EQ(::gethostname(expected, sizeof expected - 1), 0);
  char name[50];
  ASSERT_EQ(ws::gethostname(name, sizeof name), 0);
  EXPECT_STREQ(name, expected);

  int exact = static_cast<int>(std::string(expected).size()) + 1;
  EXPECT_EQ(ws::gethostname(name, exact), 0) << "name and NUL fit exactly";
  EXPECT_EQ(ws::gethostname(name, exact - 1), ws::SOCKET_ERROR) << "no room for the NUL";
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEFAULT);
}

TEST_F(Started, GethostbynameResolvesNamesAndDottedAddresses) {
  ws::hostent* host = ws::gethostbyname("localhost");
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(host->h_length, 4);
  ws::in_addr first;
  first.s_addr = *reinterpret_cast<ws::u_long*>(host->h_addr_list[0]);
  EXPECT_STREQ(ws::inet_ntoa(first), "127.0.0.1");

  host = ws::gethostbyname("127.1.2.3");
  ASSERT_NE(host, nullptr);
  first.s_addr = *reinterpret_cast<ws::u_long*>(host->h_addr_list[0]);
  EXPECT_STREQ(ws::inet_ntoa(first), "127.1.2.3");
}

TEST_F(Started, GethostbynameOfANameThatCannotResolveFailsWithHostNotFound) {
  // A label over 63 characters cannot be asked of any name server.
  std::string name(70, 'a');
  EXPECT_EQ(ws::gethostbyname(name.c_str()), nullptr);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAHOST_NOT_FOUND);
}

TEST(WinsockAddresses, InetAddrReadsDottedTextInNetworkOrder) {
  struct Case {
    const char* text;
    ws::u_long expected;  // network order, written as the bytes appear
  } cases[] = {
      {"127.0.0.1", ws::htonl(0x7F000001)}, {"192.168.10.1", ws::htonl(0xC0A80A01)},
      {"1.2.3", ws::htonl(0x01020003)},     {"0x7f.1", ws::htonl(0x7F000001)},
      {"256.1.1.1", ws::INADDR_NONE},       {"", ws::INADDR_NONE},
      {"localhost", ws::INADDR_NONE},       {"255.255.255.255", ws::INADDR_NONE},
  };
  for (const Case& c : cases) EXPECT_EQ(ws::inet_addr(c.text), c.expected) << c.text;
  EXPECT_EQ(ws::inet_addr(nullptr), ws::INADDR_NONE);
}

TEST(WinsockAddresses, InetNtoaAndByteOrder) {
  ws::in_addr a;
  a.s_addr = ws::htonl(0xC0A80A01);
  EXPECT_STREQ(ws::inet_ntoa(a), "192.168.10.1");
  a.s_addr = ws::INADDR_NONE;
  EXPECT_STREQ(ws::inet_ntoa(a), "255.255.255.255");
  EXPECT_EQ(ws::ntohs(ws::htons(0x1234)), 0x1234);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&(a.s_addr = ws::htonl(0x01020304)))[0], 1);
}

TEST_F(Started, GetservbynameFindsKnownServicesInNetworkOrder) {
  ws::servent* telnet = ws::getservbyname("telnet", nullptr);
  ASSERT_NE(telnet, nullptr);
  EXPECT_EQ(ws::ntohs(static_cast<ws::u_short>(telnet->s_port)), 23);
  EXPECT_EQ(ws::getservbyname("no-such-service-here", nullptr), nullptr);
}

TEST(WinsockErrors, OneTableMapsErrnoAndNameLookupResults) {
  struct Case {
    int err;
    int expected;
  } errnos[] = {
      {EWOULDBLOCK, ws::WSAEWOULDBLOCK}, {EINPROGRESS, ws::WSAEWOULDBLOCK},
      {ECONNREFUSED, ws::WSAECONNREFUSED}, {ECONNRESET, ws::WSAECONNRESET},
      {ENETUNREACH, ws::WSAENETUNREACH}, {EHOSTUNREACH, ws::WSAENETUNREACH},
      {ETIMEDOUT, ws::WSAETIMEDOUT},     {EMFILE, ws::WSAEMFILE},
      {EADDRINUSE, ws::WSAEADDRINUSE},   {EADDRNOTAVAIL, ws::WSAEADDRNOTAVAIL},
      {ENOTCONN, ws::WSAENOTCONN},       {EINTR, ws::WSAEINTR},
      {EACCES, ws::WSAEACCES},           {EPIPE, ws::WSAECONNRESET},
  };
  for (const Case& c : errnos) EXPECT_EQ(ws::detail::FromErrno(c.err), c.expected) << c.err;

  EXPECT_EQ(ws::detail::FromAddrInfoError(EAI_NONAME, 0), ws::WSAHOST_NOT_FOUND);
  EXPECT_EQ(ws::detail::FromAddrInfoError(EAI_AGAIN, 0), ws::WSATRY_AGAIN);
  EXPECT_EQ(ws::detail::FromAddrInfoError(EAI_FAIL, 0), ws::WSANO_RECOVERY);
  EXPECT_EQ(ws::detail::FromAddrInfoError(EAI_NODATA, 0), ws::WSANO_DATA);
  EXPECT_EQ(ws::detail::FromAddrInfoError(EAI_SYSTEM, EMFILE), ws::WSAEMFILE);
}

TEST(WinsockBlocking, CancelWithoutABlockingCallFails) {
  EXPECT_FALSE(ws::WSAIsBlocking());
  EXPECT_EQ(ws::WSACancelBlockingCall(), ws::SOCKET_ERROR);
  EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEINVAL);
}

}  // namespace
