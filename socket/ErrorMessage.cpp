#include "socket/ErrorMessage.h"

#include <string_view>

#include "error_texts.h"
#include "platform/vcl/Format.h"
#include "socket/SocketTexts.h"

namespace RezUrav {

std::string ErrorText(std::int32_t number) {
  if (number == 0) return {};
  switch (number) {
#define REZURAV_ERROR_CASE(code, name, text) \
  case code:                                 \
    return std::string(text);
    VARDEX_ERROR_TEXTS(REZURAV_ERROR_CASE)
#undef REZURAV_ERROR_CASE
    default:
      return vcl::Format(texts::kUnknownErrorFormat, {number});
  }
}

}  // namespace RezUrav
