#include "platform/rtl/FdWrite.h"

#include <poll.h>
#include <signal.h>
#include <sys/uio.h>

#include <cerrno>

namespace rtl::detail {
namespace {

// A reader that went away must give a failed write (EPIPE), not end the process.
void IgnoreBrokenPipe() {
  static const bool ignored = [] {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
  }();
  (void)ignored;
}

}  // namespace

int WriteAll(int fd, std::string_view first, std::string_view second) {
  IgnoreBrokenPipe();
  while (!first.empty() || !second.empty()) {
    iovec parts[2] = {{const_cast<char*>(first.data()), first.size()},
                      {const_cast<char*>(second.data()), second.size()}};
    ssize_t n = ::writev(fd, parts, 2);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, -1);
        continue;
      }
      return errno;
    }
    if (n == 0) return EIO;  // no progress and no error: give up rather than loop
    auto written = static_cast<std::size_t>(n);
    std::size_t fromFirst = written < first.size() ? written : first.size();
    first.remove_prefix(fromFirst);
    second.remove_prefix(written - fromFirst);
  }
  return 0;
}

}  // namespace rtl::detail
