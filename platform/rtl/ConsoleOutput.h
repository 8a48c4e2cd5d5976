// Console text output: the program's standard output as a text file.
// Texts are Shift_JIS bytes and are written byte for byte (see TextOutput for
// buffering and the conversion for a UTF-8 terminal).
#pragma once

#include <string_view>

#include "platform/rtl/TextOutput.h"

namespace rtl {

// Standard output, set up on first use; closed (flushed) at process exit.
TextOutput& Output();

// Write a text: its bytes, nothing added. Raises EInOutError on failure.
void Write(std::string_view text);
// Write a line: its bytes, then CR LF. Raises EInOutError on failure.
void WriteLn(std::string_view text);
// Sends what standard output holds; raises EInOutError on failure.
void FlushOutput();
// The end of the program's output: flushes and drops a failure.
void CloseOutput() noexcept;

}  // namespace rtl
