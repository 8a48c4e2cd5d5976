// The Windows Sockets 1.1 subset the socket component is written against,
// over POSIX sockets. Used from the thread that runs the message queue.
#pragma once

#include <cstdint>

#include "platform/win/Types.h"
#include "platform/winsock/ErrorNumbers.h"

namespace winsock {

using SOCKET = std::int32_t;  // never reused within a process
using WORD = std::uint16_t;
using u_short = std::uint16_t;
using u_long = std::uint32_t;

constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;
constexpr u_long INADDR_ANY = 0;
constexpr u_long INADDR_NONE = 0xFFFFFFFF;
constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;

constexpr long FD_READ = 1;
constexpr long FD_WRITE = 2;
constexpr long FD_OOB = 4;
constexpr long FD_ACCEPT = 8;
constexpr long FD_CONNECT = 16;
constexpr long FD_CLOSE = 32;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

struct WSADATA {
  WORD wVersion = 0;
  WORD wHighVersion = 0;
  char szDescription[WSADESCRIPTION_LEN + 1] = {};
  char szSystemStatus[WSASYS_STATUS_LEN + 1] = {};
  std::uint16_t iMaxSockets = 0;
  std::uint16_t iMaxUdpDg = 0;
  char* lpVendorInfo = nullptr;
};

struct in_addr {
  u_long s_addr = 0;  // network byte order
};

struct sockaddr {
  std::uint16_t sa_family = 0;
  char sa_data[14] = {};
};

struct sockaddr_in {
  std::int16_t sin_family = 0;
  u_short sin_port = 0;  // network byte order
  in_addr sin_addr;
  char sin_zero[8] = {};
};

struct hostent {
  char* h_name = nullptr;
  char** h_aliases = nullptr;
  std::int16_t h_addrtype = 0;
  std::int16_t h_length = 0;
  char** h_addr_list = nullptr;
};

struct servent {
  char* s_name = nullptr;
  char** s_aliases = nullptr;
  std::int16_t s_port = 0;  // network byte order
  char* s_proto = nullptr;
};

// Start-up. WSAStartup checks that the system can give an IPv4 stream socket
// and answers WSASYSNOTREADY when it cannot; the version asked must be 1.1.
int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
// How many WSAStartup calls are not yet matched by WSACleanup (for leak checks).
int StartedCount();

// Names and addresses. Results point to storage of the calling thread that the
// next call of the same function overwrites.
int gethostname(char* name, int nameLength);
hostent* gethostbyname(const char* name);
u_long inet_addr(const char* text);
char* inet_ntoa(in_addr address);
servent* getservbyname(const char* name, const char* protocol);

u_short htons(u_short value);
u_long htonl(u_long value);
u_short ntohs(u_short value);
u_long ntohl(u_long value);

}  // namespace winsock

namespace winsock {

// Makes the blocking call in progress on this thread fail with WSAEINTR;
// meant for a handler that runs while that call dispatches messages.
// Without a blocking call in progress it fails with WSAEINVAL.
int WSACancelBlockingCall();
// Whether a blocking call of this thread is in progress.
bool WSAIsBlocking();

}  // namespace winsock

namespace winsock {

// Sockets. Only AF_INET stream sockets exist. Every POSIX descriptor is
// non-blocking underneath; a socket without WSAAsyncSelect behaves as a
// blocking one by waiting in poll() and dispatching the thread's messages
// meanwhile (timers included), until WSACancelBlockingCall ends the wait.
SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const sockaddr* name, int nameLength);
int getsockname(SOCKET s, sockaddr* name, int* nameLength);
int listen(SOCKET s, int backlog);
int connect(SOCKET s, const sockaddr* name, int nameLength);
SOCKET accept(SOCKET s, sockaddr* address, int* addressLength);
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
int closesocket(SOCKET s);

// Selects which events of `s` are posted to `window` as `message` (wParam the
// handle, lParam event | error << 16) and makes the socket non-blocking.
// Conditions that already hold are posted at once. FD_READ and FD_ACCEPT are
// posted again only after recv or accept; FD_CLOSE at most once, and after a
// graceful close only when no unread bytes remain. Mask 0 stops notifications.
int WSAAsyncSelect(SOCKET s, win::HWND window, win::UINT message, long events);

constexpr std::uint32_t WSAMAKESELECTREPLY(std::uint16_t event, std::uint16_t error) {
  return static_cast<std::uint32_t>(event) | (static_cast<std::uint32_t>(error) << 16);
}

// Sockets alive in the handle table (for leak checks).
int OpenSocketCount();

}  // namespace winsock
