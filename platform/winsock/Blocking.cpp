#include "platform/winsock/Blocking.h"

#include "platform/winsock/ErrnoMap.h"
#include "platform/winsock/Winsock.h"

namespace winsock::detail {
namespace {
thread_local bool t_blocking = false;
thread_local bool t_cancelled = false;
}  // namespace

BlockingScope::BlockingScope() : FRefused(t_blocking) {
  if (FRefused) return;
  t_blocking = true;
  t_cancelled = false;
}

BlockingScope::~BlockingScope() {
  if (FRefused) return;
  t_blocking = false;
  t_cancelled = false;
}

bool BlockingScope::Cancelled() const { return !FRefused && t_cancelled; }

}  // namespace winsock::detail

namespace winsock {

int WSACancelBlockingCall() {
  if (!detail::t_blocking) return detail::Fail(WSAEINVAL);
  detail::t_cancelled = true;
  return 0;
}

bool WSAIsBlocking() { return detail::t_blocking; }

}  // namespace winsock
