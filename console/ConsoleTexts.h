// The console tool's texts, as Shift_JIS bytes.
#pragma once

#include <array>
#include <string_view>

#include "console_texts.h"
#include "usage_text.h"

namespace Unit1::texts {

#define UNIT1_DEFINE_TEXT(name, text) inline constexpr std::string_view name = text;
VARDEX_CONSOLE_TEXTS(UNIT1_DEFINE_TEXT)
#undef UNIT1_DEFINE_TEXT

// The usage text, one entry per line, without line ends. The command name in
// it is fixed text, not the name the program was started under.
#define UNIT1_USAGE_LINE(number, text) std::string_view(text),
inline constexpr std::array kUsageLines = {VARDEX_USAGE_LINES(UNIT1_USAGE_LINE)};
#undef UNIT1_USAGE_LINE

}  // namespace Unit1::texts
