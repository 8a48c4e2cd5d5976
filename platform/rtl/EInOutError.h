// The run-time library's input/output exception.
#pragma once

#include "platform/vcl/Exception.h"

namespace rtl {

// Raised when a text file (standard output among them) cannot be written.
// ErrorCode is the system's error number (errno).
class EInOutError : public vcl::Exception {
 public:
  explicit EInOutError(int errorCode);

  int ErrorCode;
};

}  // namespace rtl
