#include "tests/support/Sjis.h"

#include <cstdio>

#include "tools/encode/FromUtf8.h"

namespace testing_support {

std::string Encode(std::string_view utf8, const char* charset) {
  return encode::FromUtf8(utf8, charset);
}

std::string Sjis(std::string_view utf8) { return Encode(utf8, "CP932"); }

std::string Hex(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace testing_support
