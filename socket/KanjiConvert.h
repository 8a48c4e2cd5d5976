// Received-text code detection and conversion to Shift_JIS: a received block
// is taken as JIS (ISO-2022-JP with half-width katakana), EUC-JP or Shift_JIS
// by its first line, and JIS and EUC-JP blocks are converted to Shift_JIS.
//
// The state below is the unit's own: one set shared by every VOduRude, used
// only on the thread that runs the message loop, so it takes no lock. The JIS
// shift state deliberately outlives a block, so that text whose designation
// came in an earlier block still converts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace RezUrav {

// KanjiCode values: the encoding of the block converted last.
constexpr std::int32_t KanjiCodeJis = 0;  // a first line without 8-bit bytes
constexpr std::int32_t KanjiCodeEuc = 1;
constexpr std::int32_t KanjiCodeSjis = 2;

// Both modes are 0 or 0x80, the bit that a converted byte gains or loses.
constexpr std::uint8_t ModeOn = 0x80;

extern std::int32_t KanjiCode;
extern std::uint8_t KanjiMode;  // ModeOn while JIS text is in its two-byte set
extern std::uint8_t KanaMode;   // ModeOn while half-width katakana is designated

// Sets KanjiCode from the text's first line, the bytes before its first NUL,
// ^Z, CR or LF; changes nothing else.
void DetectKanjiCode(std::string_view text);

// The block in Shift_JIS, converted from JIS or EUC-JP as its first line says,
// carrying KanjiMode and KanaMode over to the next block. Never fails: bytes
// that break their encoding come out altered. An empty block changes nothing.
std::string ConvertKanjiCodeText(std::string_view text);

}  // namespace RezUrav
