#include "platform/rtl/TextOutput.h"

#include <unistd.h>

#include "platform/rtl/EInOutError.h"
#include "platform/rtl/FdWrite.h"
#include "platform/rtl/TerminalCharset.h"

namespace rtl {
namespace {

TextOutput::Mode ModeOf(int fd) {
  if (::isatty(fd) != 1) return TextOutput::Mode::Buffered;
  return IsUtf8Terminal(fd) ? TextOutput::Mode::Utf8Terminal : TextOutput::Mode::Terminal;
}

}  // namespace

TextOutput::TextOutput(int fd) : TextOutput(fd, ModeOf(fd)) {}

TextOutput::TextOutput(int fd, Mode mode) : FFd(fd), FMode(mode) {
  if (FMode == Mode::Buffered) FHeld.reserve(kBufferSize);
  // Made only where needed: opening the converter loads a module.
  if (FMode == Mode::Utf8Terminal) FConverter = std::make_unique<SjisToUtf8>();
}

TextOutput::~TextOutput() { Close(); }

void TextOutput::Write(std::string_view text) {
  if (FMode != Mode::Buffered) {
    if (FMode == Mode::Utf8Terminal) {
      std::string converted = FConverter->Convert(text);
      Send(converted, {});
    } else {
      Send(text, {});
    }
    return;
  }
  if (FHeld.size() + text.size() < kBufferSize) {
    FHeld.append(text);
    return;
  }
  // Held bytes and the new text leave together, in one system call.
  Send(FHeld, text);
  FHeld.clear();
}

void TextOutput::WriteLn(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  Write(line);
}

void TextOutput::Flush() {
  if (FHeld.empty()) return;
  Send(FHeld, {});
  FHeld.clear();
}

void TextOutput::Close() noexcept {
  try {
    Flush();
    // A lead byte still waiting for its trail byte will not get it now.
    if (FConverter && FConverter->HasPending()) {
      std::string rest = FConverter->Finish();
      Send(rest, {});
    }
  } catch (const EInOutError&) {
  }
}

void TextOutput::Send(std::string_view first, std::string_view second) {
  if (first.empty() && second.empty()) return;
  int error = detail::WriteAll(FFd, first, second);
  if (error == 0) return;
  // Dropped, so a later write does not repeat bytes that may have gone out in part.
  FHeld.clear();
  throw EInOutError(error);
}

}  // namespace rtl
