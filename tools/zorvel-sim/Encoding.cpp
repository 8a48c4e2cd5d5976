#include "tools/zorvel-sim/Encoding.h"

#include "tools/encode/FromUtf8.h"

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
  return encode::FromUtf8(utf8, CharsetName(encoding));
}

}  // namespace zorvel
