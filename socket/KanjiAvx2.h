// Thirty-two bytes at a time for the received-text conversion, on processors
// with AVX2: the two loops that carry most of the time for Japanese text,
// the scan of a first line and the EUC-JP walk through well-formed text.
// Each stops where a byte needs the full rules and hands back its position,
// so that the conversion goes on from there the usual way.
#pragma once

#include <cstddef>

namespace RezUrav::KanjiAvx2 {

using Byte = unsigned char;

// Whether these loops can run here: an x86-64 processor with AVX2.
bool Available();

// What the first-line scan found in the bytes it passed.
struct LineScan {
  std::size_t passed = 0;  // bytes passed, a multiple of 32
  bool eightBit = false;   // an 8-bit byte among them
  std::size_t lastSs2;     // the last SS2 among them, or none (as given)
};

// Passes 32-byte pieces of `bytes` (n long) that end no line and hold no byte
// in 0x80-0x9F but SS2; `none` stands for no SS2.
LineScan ScanFirstLine(const Byte* bytes, std::size_t n, std::size_t none);

// Where the EUC-JP walk got to, and whether it passed an SS2.
struct EucStep {
  std::size_t read;
  std::size_t written;
  bool ss2;
};

// Converts whole units of well-formed EUC-JP from in[read] on to out[written]:
// a pair of 0xA1-0xFE bytes becomes Shift_JIS, SS2 before katakana goes, and
// 7-bit bytes but SO, SI and ESC stay. Reads only below `limit` and stops
// before a 32-byte piece with anything else, at the start of a unit. Writes
// no further than the bytes read.
EucStep ConvertEuc(const Byte* in, std::size_t read, std::size_t limit, Byte* out,
                   std::size_t written);

}  // namespace RezUrav::KanjiAvx2
