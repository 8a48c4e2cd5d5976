#include "platform/rtl/SjisToUtf8.h"

#include <iconv.h>

#include <cerrno>

namespace rtl {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

SjisToUtf8::SjisToUtf8() : FConverter(::iconv_open("UTF-8", "CP932")) {}

SjisToUtf8::~SjisToUtf8() {
  if (static_cast<iconv_t>(FConverter) != kNoConverter)
    ::iconv_close(static_cast<iconv_t>(FConverter));
}

std::string SjisToUtf8::Convert(std::string_view piece) {
  std::string input = FPending;
  input.append(piece);
  FPending.clear();
  auto cd = static_cast<iconv_t>(FConverter);
  if (cd == kNoConverter) return input;  // no converter: the bytes as they are beat no text

  // Every byte of code page 932 needs at most 3 bytes of UTF-8 (2 for a pair).
  std::string out(input.size() * 3, '\0');
  char* src = input.data();
  std::size_t srcLeft = input.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (::iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == EINVAL) {  // a lead byte at the end: its trail byte comes next time
      FPending.assign(src, srcLeft);
      break;
    }
    // EILSEQ: one byte that maps to nothing. (E2BIG cannot happen with 3 per byte.)
    for (char c : kReplacement) *dst++ = c;
    dstLeft -= kReplacement.size();
    ++src;
    --srcLeft;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

std::string SjisToUtf8::Finish() {
  std::string out;
  if (!FPending.empty()) out = kReplacement;
  FPending.clear();
  return out;
}

}  // namespace rtl
