// Test helpers for Shift_JIS texts: converted independently of the product's
// generated tables, with glibc iconv at run time.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

// UTF-8 to Shift_JIS (code page 932); throws on a character CP932 lacks.
std::string Sjis(std::string_view utf8);

// UTF-8 to any charset glibc iconv knows, its final shift included (so
// ISO-2022-JP text ends back in ASCII); throws when it cannot.
std::string Encode(std::string_view utf8, const char* charset);

// Bytes as "41 42 ..", for readable assertion messages.
std::string Hex(std::string_view bytes);

}  // namespace testing_support
