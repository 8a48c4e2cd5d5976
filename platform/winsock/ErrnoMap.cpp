#include "platform/winsock/ErrnoMap.h"

#include "platform/winsock/PosixSockets.h"

#include <cerrno>

#include "platform/winsock/Winsock.h"

namespace winsock::detail {
namespace {

// The one mapping from errno. A non-blocking connect in progress is
// WSAEWOULDBLOCK, as Windows Sockets 1.1 reports it; an unreachable host is an
// unreachable network, since 1.1 has no other number for it.
#define ERRNO_TO_WINSOCK(X)           \
  X(EINTR, WSAEINTR)                  \
  X(EBADF, WSAEBADF)                  \
  X(EACCES, WSAEACCES)                \
  X(EPERM, WSAEACCES)                 \
  X(EFAULT, WSAEFAULT)                \
  X(EINVAL, WSAEINVAL)                \
  X(EMFILE, WSAEMFILE)                \
  X(ENFILE, WSAEMFILE)                \
  X(EWOULDBLOCK, WSAEWOULDBLOCK)      \
  X(EINPROGRESS, WSAEWOULDBLOCK)      \
  X(EALREADY, WSAEALREADY)            \
  X(ENOTSOCK, WSAENOTSOCK)            \
  X(EDESTADDRREQ, WSAEDESTADDRREQ)    \
  X(EMSGSIZE, WSAEMSGSIZE)            \
  X(EPROTOTYPE, WSAEPROTOTYPE)        \
  X(ENOPROTOOPT, WSAENOPROTOOPT)      \
  X(EPROTONOSUPPORT, WSAEPROTONOSUPPORT) \
  X(ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT) \
  X(EOPNOTSUPP, WSAEOPNOTSUPP)        \
  X(EPFNOSUPPORT, WSAEPFNOSUPPORT)    \
  X(EAFNOSUPPORT, WSAEAFNOSUPPORT)    \
  X(EADDRINUSE, WSAEADDRINUSE)        \
  X(EADDRNOTAVAIL, WSAEADDRNOTAVAIL)  \
  X(ENETDOWN, WSAENETDOWN)            \
  X(ENETUNREACH, WSAENETUNREACH)      \
  X(EHOSTUNREACH, WSAENETUNREACH)     \
  X(ENETRESET, WSAENETRESET)          \
  X(ECONNABORTED, WSAECONNABORTED)    \
  X(ECONNRESET, WSAECONNRESET)        \
  X(EPIPE, WSAECONNRESET)             \
  X(ENOBUFS, WSAENOBUFS)              \
  X(ENOMEM, WSAENOBUFS)               \
  X(EISCONN, WSAEISCONN)              \
  X(ENOTCONN, WSAENOTCONN)            \
  X(ESHUTDOWN, WSAESHUTDOWN)          \
  X(ETOOMANYREFS, WSAETOOMANYREFS)    \
  X(ETIMEDOUT, WSAETIMEDOUT)          \
  X(ECONNREFUSED, WSAECONNREFUSED)    \
  X(ELOOP, WSAELOOP)                  \
  X(ENAMETOOLONG, WSAENAMETOOLONG)    \
  X(EHOSTDOWN, WSAEHOSTDOWN)

thread_local int t_lastError = 0;

}  // namespace

int FromErrno(int err) {
  switch (err) {
#define ERRNO_CASE(e, w) \
  case e:                \
    return w;
    // EAGAIN is EWOULDBLOCK on Linux; only one of them may stand as a case.
    ERRNO_TO_WINSOCK(ERRNO_CASE)
#undef ERRNO_CASE
    default:
      return WSAEINVAL;
  }
}

int FromAddrInfoError(int gaiResult, int err) {
  switch (gaiResult) {
    case EAI_NONAME:
      return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
      return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return WSANO_DATA;
    case EAI_MEMORY:
      return WSAENOBUFS;
    case EAI_SYSTEM:
      return FromErrno(err);
    default:
      return WSANO_RECOVERY;
  }
}

int FailFromErrno() { return Fail(FromErrno(errno)); }

int Fail(int error) {
  WSASetLastError(error);
  return SOCKET_ERROR;
}

}  // namespace winsock::detail

namespace winsock {

int WSAGetLastError() { return detail::t_lastError; }
void WSASetLastError(int error) { detail::t_lastError = error; }

}  // namespace winsock
