// The framework's exception base class. Messages are Shift_JIS bytes.
#pragma once

#include <exception>
#include <string>

#include "platform/vcl/TObject.h"

namespace vcl {

class Exception : public TObject, public std::exception {
 public:
  // Noinline so the raise site, not this constructor, is the recorded address.
  [[gnu::noinline]] explicit Exception(std::string message);

  std::string Message;
  int HelpContext = 0;

  const char* what() const noexcept override { return Message.c_str(); }
  // The code address that constructed the exception, for the fatal report.
  const void* ExceptAddr() const { return FAddress; }

 private:
  const void* FAddress;
};

// Raised by Format for a directive that does not fit its argument.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Raised when the system refuses a resource such as a timer.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vcl
