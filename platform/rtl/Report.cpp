#include "platform/rtl/Report.h"

#include <unistd.h>

#include <cerrno>

namespace rtl {

void WriteReport(std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace rtl
