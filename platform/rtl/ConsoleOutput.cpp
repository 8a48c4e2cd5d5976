#include "platform/rtl/ConsoleOutput.h"

#include <unistd.h>

namespace rtl {

TextOutput& Output() {
  // Destroyed at exit, which flushes what a file or pipe still holds.
  static TextOutput output(STDOUT_FILENO);
  return output;
}

void Write(std::string_view text) { Output().Write(text); }

void WriteLn(std::string_view text) { Output().WriteLn(text); }

void FlushOutput() { Output().Flush(); }

void CloseOutput() noexcept { Output().Close(); }

}  // namespace rtl
