// A text file open for output on a descriptor, in the manner of the run-time
// library's text files: write a text, write a line (the text, then CR LF).
//
// The bytes arrive exactly and in order. On a terminal every write reaches it
// at once (converted to UTF-8 on a UTF-8 terminal); on a file or pipe up to
// 127 bytes are held and go out when the buffer fills, on Flush, or when the
// object is destroyed. A failed write raises EInOutError and drops what was held.
//
// Does not own the descriptor. Used from one thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/rtl/SjisToUtf8.h"

namespace rtl {

class TextOutput {
 public:
  enum class Mode {
    Buffered,      // files and pipes
    Terminal,      // a terminal that takes the Shift_JIS bytes as they are
    Utf8Terminal,  // a terminal that wants UTF-8
  };
  static constexpr std::size_t kBufferSize = 128;

  // Mode from the descriptor and the environment's locale.
  explicit TextOutput(int fd);
  TextOutput(int fd, Mode mode);
  // Flushes; a failure then is dropped, as nobody is left to report it.
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  void Write(std::string_view text);
  void WriteLn(std::string_view text);
  // Sends what is held; raises EInOutError on failure.
  void Flush();
  // The end of the output: flushes, ends a character left half-written on a
  // terminal, and drops a failure. Writing on afterwards is allowed.
  void Close() noexcept;

  Mode OutputMode() const { return FMode; }

 private:
  void Send(std::string_view first, std::string_view second);

  int FFd;
  Mode FMode;
  std::string FHeld;
  std::unique_ptr<SjisToUtf8> FConverter;  // Utf8Terminal only
};

}  // namespace rtl
