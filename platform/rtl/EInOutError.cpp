#include "platform/rtl/EInOutError.h"

#include "platform/rtl/RtlTexts.h"
#include "platform/vcl/Format.h"

namespace rtl {

EInOutError::EInOutError(int errorCode)
    : vcl::Exception(vcl::Format(texts::kInOutErrorFormat, {errorCode})), ErrorCode(errorCode) {}

}  // namespace rtl
