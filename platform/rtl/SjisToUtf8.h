// Shift_JIS (code page 932) to UTF-8 for a terminal, as a stream.
//
// A double-byte character split between two pieces is held back and completed
// by the next piece. A byte that code page 932 does not map becomes U+FFFD, so
// a stray byte costs one replacement character instead of the rest of the text.
#pragma once

#include <string>
#include <string_view>

namespace rtl {

class SjisToUtf8 {
 public:
  SjisToUtf8();
  ~SjisToUtf8();
  SjisToUtf8(const SjisToUtf8&) = delete;
  SjisToUtf8& operator=(const SjisToUtf8&) = delete;

  // The UTF-8 of `piece`, less a lead byte at its end that waits for its trail byte.
  std::string Convert(std::string_view piece);
  // What is still held back, as replacement text; the stream starts afresh.
  std::string Finish();
  bool HasPending() const { return !FPending.empty(); }

 private:
  void* FConverter;  // iconv_t; (void*)-1 when glibc lacks CP932
  std::string FPending;
};

}  // namespace rtl
