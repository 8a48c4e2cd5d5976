#include "tests/support/Sjis.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <stdexcept>

namespace testing_support {

std::string Encode(std::string_view utf8, const char* charset) {
  iconv_t cd = iconv_open(charset, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(charset);
  std::string in(utf8);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = in.data();
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  if (rc != static_cast<size_t>(-1)) rc = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1))
    throw std::runtime_error(std::string("iconv to ") + charset + ": " + in);
  out.resize(out.size() - dstLeft);
  return out;
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
