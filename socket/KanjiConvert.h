// Received-text code detection and conversion to Shift_JIS (placeholder:
// the conversion itself comes with its own change).
#pragma once

#include <string>
#include <string_view>

namespace RezUrav {

std::string ConvertKanjiCodeText(std::string_view text);

}  // namespace RezUrav
