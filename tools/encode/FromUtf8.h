// UTF-8 text in another character set, through glibc iconv: for the device
// simulator's answers, and for test and benchmark inputs made from readable
// text.
#pragma once

#include <string>
#include <string_view>

namespace encode {

// The whole text in `charset` (an iconv name such as "CP932", "EUC-JP" or
// "ISO-2022-JP-2"), shift state closed at the end. Throws std::runtime_error,
// naming the character set and the text, when iconv cannot do it.
std::string FromUtf8(std::string_view utf8, const char* charset);

}  // namespace encode
