// Writing whole byte runs to a file descriptor. Internal to the run-time library.
#pragma once

#include <string_view>

namespace rtl::detail {

// Writes `first` then `second` completely (in one system call when it can),
// riding out interrupted and partial writes and waiting, not spinning, on a
// non-blocking descriptor that is full. Returns 0, or the errno of the failure.
// SIGPIPE is ignored from the first call on, so a vanished reader is EPIPE.
int WriteAll(int fd, std::string_view first, std::string_view second = {});

}  // namespace rtl::detail
