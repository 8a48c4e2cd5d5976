#include "socket/ECommError.h"

#include "platform/vcl/Format.h"
#include "socket/SocketTexts.h"

namespace RezUrav {

ECommError::ECommError(const std::string& Text)
    : vcl::Exception(vcl::Format(texts::kErrorLeadFormat, {Text})), FErrorText(Text) {}

}  // namespace RezUrav
