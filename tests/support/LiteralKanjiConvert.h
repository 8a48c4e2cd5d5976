// A second, deliberately plain implementation of the received-text conversion,
// for differential tests and the fuzzer: it works on a NUL-terminated copy and
// removes bytes by really moving the rest of the text forward, one step at a
// time, exactly as the rules read. Slow (quadratic on text full of shifts) and
// obvious on purpose; it shares no code with the product.
//
// It keeps its own copy of the state, so both can run side by side on the same
// blocks and their carried state can be compared after each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace testing_support {

class LiteralKanjiConvert {
 public:
  std::int32_t KanjiCode = 0;
  std::uint8_t KanjiMode = 0;
  std::uint8_t KanaMode = 0;

  std::string ConvertKanjiCode(std::string_view text);
  void DetectKanjiCode(std::string_view text);

 private:
  // One step at position p of the NUL-terminated working text s; returns how
  // far the walk advances.
  int JisToSjis(unsigned char* s, std::size_t p);
  int EucToSjis(unsigned char* s, std::size_t p);
};

}  // namespace testing_support
