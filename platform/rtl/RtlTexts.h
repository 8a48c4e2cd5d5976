// The run-time library's own texts, as Shift_JIS bytes.
#pragma once

#include <string_view>

#include "rtl_texts.h"

namespace rtl::texts {

#define RTL_DEFINE_TEXT(name, text) inline constexpr std::string_view name = text;
VARDEX_RTL_TEXTS(RTL_DEFINE_TEXT)
#undef RTL_DEFINE_TEXT

}  // namespace rtl::texts
