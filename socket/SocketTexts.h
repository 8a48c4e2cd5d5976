// The socket component's own texts, as Shift_JIS bytes.
#pragma once

#include <string_view>

#include "socket_texts.h"

namespace RezUrav::texts {

#define REZURAV_DEFINE_TEXT(name, text) inline constexpr std::string_view name = text;
VARDEX_SOCKET_TEXTS(REZURAV_DEFINE_TEXT)
#undef REZURAV_DEFINE_TEXT

}  // namespace RezUrav::texts
