// Runs the product conversion and the plain step-by-step one over the same
// block sequence and stops at the first difference in a result, in KanjiCode
// or in the carried KanjiMode and KanaMode.
//
// Input: one byte of starting modes (bit 0 KanjiMode, bit 1 KanaMode), then
// blocks, each a length byte and that many bytes (fewer at the end). A length
// byte with bit 7 set gives (its low bits x 32) bytes, for long lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "socket/KanjiConvert.h"
#include "tests/support/LiteralKanjiConvert.h"

namespace {

void Dump(const char* what, const std::string& bytes) {
  std::fprintf(stderr, "%s (%zu):", what, bytes.size());
  for (unsigned char c : bytes) std::fprintf(stderr, " %02X", c);
  std::fprintf(stderr, "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  testing_support::LiteralKanjiConvert literal;
  literal.KanjiMode = RezUrav::KanjiMode = (data[0] & 1) ? RezUrav::ModeOn : 0;
  literal.KanaMode = RezUrav::KanaMode = (data[0] & 2) ? RezUrav::ModeOn : 0;
  literal.KanjiCode = RezUrav::KanjiCode = 0;

  std::size_t at = 1;
  for (int block = 1; at < size; ++block) {
    const std::uint8_t lengthByte = data[at++];
    std::size_t length = (lengthByte & 0x80) ? std::size_t{lengthByte & 0x7Fu} * 32 : lengthByte;
    if (length > size - at) length = size - at;
    const std::string text(reinterpret_cast<const char*>(data + at), length);
    at += length;

    const std::string expected = literal.ConvertKanjiCode(text);
    const std::string actual = RezUrav::ConvertKanjiCodeText(text);
    if (actual != expected || RezUrav::KanjiCode != literal.KanjiCode ||
        RezUrav::KanjiMode != literal.KanjiMode || RezUrav::KanaMode != literal.KanaMode) {
      std::fprintf(stderr, "mismatch in block %d\n", block);
      Dump("block", text);
      Dump("product", actual);
      Dump("literal", expected);
      std::fprintf(stderr, "code %d/%d, kanji mode %d/%d, kana mode %d/%d (product/literal)\n",
                   RezUrav::KanjiCode, literal.KanjiCode, RezUrav::KanjiMode, literal.KanjiMode,
                   RezUrav::KanaMode, literal.KanaMode);
      std::abort();
    }
  }
  return 0;
}
