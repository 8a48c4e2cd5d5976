#include "tools/zorvel-sim/Encoding.h"

#include <iconv.h>

#include <stdexcept>

namespace zorvel {
namespace {

const char* CharsetName(Encoding e) {
  switch (e) {
    case Encoding::EucJp:
      return "EUC-JP";
    case Encoding::Jis:
      return "ISO-2022-JP-3";  // keeps half-width katakana as ESC ( I
    case Encoding::ShiftJis:
    default:
      return "CP932";
  }
}

}  // namespace

std::string Encode(const std::string& utf8, Encoding encoding) {
  iconv_t cd = iconv_open(CharsetName(encoding), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string in = utf8;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = in.data();
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  if (rc != static_cast<size_t>(-1)) rc = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("cannot encode: " + utf8);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace zorvel
