#include <signal.h>
#include "platform/winsock/PosixSockets.h"

#include <atomic>
#include <cstring>

#include "platform/winsock/ErrnoMap.h"
#include "platform/winsock/Winsock.h"

namespace winsock {
namespace {

std::atomic<int> g_started{0};
constexpr WORD kVersion11 = 0x0101;

// A socket peer that goes away must give an error, never end the process.
void IgnoreSigpipe() {
  struct sigaction ignore{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
}

bool CanMakeStreamSocket() {
  int fd = ::socket(PF_INET, ::SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

int WSAStartup(WORD versionRequested, WSADATA* data) {
  if (data == nullptr) return WSAEFAULT;
  // Only 1.1 is offered; a request for less cannot be met.
  if ((versionRequested & 0xFF) < 1 || versionRequested == 0x0001) return WSAVERNOTSUPPORTED;
  *data = WSADATA{};
  data->wVersion = kVersion11;
  data->wHighVersion = kVersion11;
  std::strncpy(data->szDescription, "VARDEX Windows Sockets over POSIX", WSADESCRIPTION_LEN);
  std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
  data->iMaxSockets = 32767;
  if (!CanMakeStreamSocket()) return WSASYSNOTREADY;
  IgnoreSigpipe();
  ++g_started;
  return 0;
}

int WSACleanup() {
  int count = g_started.load();
  while (count > 0 && !g_started.compare_exchange_weak(count, count - 1)) {
  }
  if (count > 0) return 0;
  return detail::Fail(WSANOTINITIALISED);
}

int StartedCount() { return g_started.load(); }

}  // namespace winsock
