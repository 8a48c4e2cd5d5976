#include "platform/vcl/Exception.h"

#include <utility>

namespace vcl {

Exception::Exception(std::string message)
    : Message(std::move(message)), FAddress(__builtin_return_address(0)) {}

}  // namespace vcl
