#include "platform/rtl/Report.h"

#include <unistd.h>

#include "platform/rtl/FdWrite.h"
#include "platform/rtl/SjisToUtf8.h"
#include "platform/rtl/TerminalCharset.h"

namespace rtl {

void WriteReport(std::string_view text) {
  try {
    if (!IsUtf8Terminal(STDERR_FILENO)) {
      detail::WriteAll(STDERR_FILENO, text);
      return;
    }
    SjisToUtf8 converter;
    std::string utf8 = converter.Convert(text);
    utf8 += converter.Finish();
    detail::WriteAll(STDERR_FILENO, utf8);
  } catch (...) {
    // A report that cannot be made (no memory) must not become a new failure.
  }
}

}  // namespace rtl
