// Text to a 32-bit whole number, with a default for anything that is not one.
#pragma once

#include <cstdint>
#include <string_view>

namespace rtl {

// A whole number is, in full: any number of leading blanks (byte 32), then
// either an optional sign and decimal digits (-2147483648 to 2147483647), or
// "$" and hexadecimal digits ($0 to $FFFFFFFF; the top bit set gives the
// negative number with the same 32 bits). Leading zeros are allowed. Anything
// else (trailing characters or blanks, no digits, overflow) gives `Default`.
std::int32_t StrToIntDef(std::string_view S, std::int32_t Default);

}  // namespace rtl
