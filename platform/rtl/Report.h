// Reports on standard error: where the original platform showed a message box.
#pragma once

#include <string_view>

namespace rtl {

// Writes Shift_JIS text to standard error as it is (converted to UTF-8 when
// standard error is a UTF-8 terminal). Never blocks long, never raises, and
// ignores a closed or broken standard error.
void WriteReport(std::string_view text);

}  // namespace rtl
