#include "platform/rtl/TerminalCharset.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cstring>

namespace rtl {
namespace {

bool EnvironmentCharsetIsUtf8() {
  // A locale object of its own, so the program's C locale is not switched.
  locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return false;  // unknown locale name: treat as C
  bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
  ::freelocale(locale);
  return utf8;
}

}  // namespace

bool IsUtf8Terminal(int fd) { return ::isatty(fd) == 1 && EnvironmentCharsetIsUtf8(); }

}  // namespace rtl
