#include "tools/encode/FromUtf8.h"

#include <iconv.h>

#include <stdexcept>

namespace encode {

std::string FromUtf8(std::string_view utf8, const char* charset) {
  iconv_t cd = iconv_open(charset, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv_open UTF-8 to ") + charset);
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

}  // namespace encode
