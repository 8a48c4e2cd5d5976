#include "socket/KanjiConvert.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>

namespace RezUrav {

std::int32_t KanjiCode = 0;
std::uint8_t KanjiMode = 0;
std::uint8_t KanaMode = 0;

namespace {

using Byte = unsigned char;

constexpr Byte kNul = 0x00;
constexpr Byte kLf = 0x0A;
constexpr Byte kCr = 0x0D;
constexpr Byte kSo = 0x0E;
constexpr Byte kSi = 0x0F;
constexpr Byte kCtrlZ = 0x1A;
constexpr Byte kEsc = 0x1B;
constexpr Byte kSs2 = 0x8E;
constexpr Byte kHighBit = 0x80;

constexpr bool InRange(Byte b, Byte low, Byte high) { return b >= low && b <= high; }

// --- Eight bytes at a time --------------------------------------------------
// Plain text is skipped a word at a time; the masks mark, in a word loaded
// little-endian, the bytes that need a closer look. A mark is exact for the
// lowest marked byte, which is all the scans use.

using Word = std::uint64_t;
constexpr Word kOnes = 0x0101010101010101ULL;
constexpr Word kHighs = kOnes * kHighBit;
constexpr bool kWordScan = std::endian::native == std::endian::little;

constexpr Word ZeroBytes(Word v) { return (v - kOnes) & ~v & kHighs; }
constexpr Word BytesEqual(Word x, Byte b) { return ZeroBytes(x ^ (kOnes * b)); }

inline Word LoadWord(const Byte* p) {
  Word x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

// Bytes that a walk in its plain state leaves as they are: 7-bit, not SO, SI or ESC.
constexpr bool IsPlain(Byte b) { return b < kHighBit && b != kSo && b != kSi && b != kEsc; }

inline Word NotPlainBytes(Word x) {
  return (x & kHighs) | ZeroBytes((x ^ (kOnes * kSo)) & ~kOnes) | BytesEqual(x, kEsc);
}

// The number of plain bytes at the start of [p, p + n).
std::size_t PlainRun(const Byte* p, std::size_t n) {
  std::size_t i = 0;
  if constexpr (kWordScan) {
    for (; i + sizeof(Word) <= n; i += sizeof(Word)) {
      if (Word marks = NotPlainBytes(LoadWord(p + i)))
        return i + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
    }
  }
  while (i < n && IsPlain(p[i])) ++i;
  return i;
}

constexpr bool EndsFirstLine(Byte b) { return b == kNul || b == kCtrlZ || b == kCr || b == kLf; }

inline Word FirstLineStops(Word x) {
  return (x & kHighs) | ZeroBytes(x) | BytesEqual(x, kCtrlZ) | BytesEqual(x, kCr) |
         BytesEqual(x, kLf);
}

// --- Two-byte arithmetic ----------------------------------------------------
// JIS X 0208 row and cell to Shift_JIS without a table. Bytes outside
// 0x21-0x7E go through the same signed arithmetic: division truncates
// toward zero and each result keeps its low 8 bits.
inline void PutSjisPair(int j1, int j2, Byte* out) {
  const int t = (j1 - 0x21) * 94 + (j2 - 0x21);
  int lead = t / 188 + 0x81;
  if (lead > 0x9F) lead += 0x40;
  int trail = t % 188 + 0x40;
  if (trail > 0x7E) trail += 1;
  out[0] = static_cast<Byte>(lead);
  out[1] = static_cast<Byte>(trail);
}

// --- The working text ---------------------------------------------------------
// The block is converted in one copy of itself. Removing bytes must not move
// the rest of the block each time (text with a shift every few bytes would
// take quadratic time), so the walk reads at `read` and writes what it keeps
// at `write`, which never passes `read`: a removal just skips bytes. What a
// removal would cut off is kept out by pulling in `end`, where the walk stops.
// A 0x80 that loses bit 7 is a NUL in the result, which ends there, while the
// walk goes on behind it for the shifts it may still meet; `resultEnd` keeps
// where.
//
// A first byte of a pair whose partner would be at `end` (the block ended, or
// a removal cut the text there) is left as it is and the walk ends: nothing at
// or behind `end` is taken as its partner, and nothing outside the copy is
// read or written.
class WorkingText {
 public:
  WorkingText(Byte* bytes, std::size_t size) : bytes_(bytes), end_(size) {}

  bool More() const { return read_ < end_; }
  std::size_t Read() const { return read_; }
  std::size_t End() const { return end_; }
  Byte At(std::size_t i) const { return bytes_[i]; }
  std::size_t ResultLength() const { return resultEnd_ < write_ ? resultEnd_ : write_; }

  void Keep(Byte b) {
    if (b == kNul && resultEnd_ == kNone) resultEnd_ = write_;
    bytes_[write_++] = b;
    ++read_;
  }
  void KeepPair(int j1, int j2) {
    PutSjisPair(j1, j2, bytes_ + write_);
    write_ += 2;
    read_ += 2;
  }
  void KeepPlainRun() {
    const std::size_t n = PlainRun(bytes_ + read_, end_ - read_);
    if (write_ != read_) std::memmove(bytes_ + write_, bytes_ + read_, n);
    write_ += n;
    read_ += n;
  }

  // Drops n bytes; the text then ends at the next LF, which goes too.
  void RemoveCuttingAtLf(std::size_t n) {
    read_ += n;
    CutAt(NextLf());
  }
  // Drops n bytes; nothing else changes.
  void Remove(std::size_t n) { read_ += n; }
  // Drops the byte at the read position; the text then ends behind the next LF.
  void RemoveCuttingBehindLf() {
    ++read_;
    const std::size_t lf = NextLf();
    if (lf < end_) end_ = lf + 1;
  }

  // Clears bit 7 of the byte at i, which lies ahead of the walk; a NUL made so
  // ends the text there.
  Byte ClearHighBitAhead(std::size_t i) {
    const Byte b = bytes_[i] &= static_cast<Byte>(~kHighBit);
    if (b == kNul) CutAt(i);
    if (b == kLf && i < lf_) lf_ = i;
    return b;
  }

 private:
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

  void CutAt(std::size_t i) {
    if (i < end_) end_ = i;
  }

  // The first LF at or behind the read position, or `end`. The answer is
  // kept until the walk passes it, so cutting at every other byte of a long
  // line still reads the line once.
  std::size_t NextLf() {
    if (lf_ < read_) {
      const void* lf = std::memchr(bytes_ + read_, kLf, end_ - read_);
      lf_ = lf ? static_cast<std::size_t>(static_cast<const Byte*>(lf) - bytes_) : end_;
    }
    return lf_;
  }

  Byte* bytes_;
  std::size_t read_ = 0;
  std::size_t write_ = 0;
  std::size_t end_;
  std::size_t resultEnd_ = kNone;
  std::size_t lf_ = 0;  // no LF in [some position <= read_, lf_); stale once below read_
};

// The modes as the walk sees them: kept locally, so that the compiler need not
// reload them after every byte it writes, and stored back when the walk ends.
struct Modes {
  Byte kanji = KanjiMode;
  Byte kana = KanaMode;
  void Store() const {
    KanjiMode = kanji;
    KanaMode = kana;
  }
};

// --- JIS ----------------------------------------------------------------------

// ESC at the read position, the two bytes behind it already without bit 7:
// a designation of the table sets the modes and is removed.
bool TakeDesignation(Byte b1, Byte b2, Modes& modes) {
  if (b1 == '$' && (b2 == '@' || b2 == 'B')) {
    modes.kanji = ModeOn;
    modes.kana = 0;
    return true;
  }
  if (b1 == '(' && (b2 == 'B' || b2 == 'H' || b2 == 'J' || b2 == 'I')) {
    modes.kanji = 0;
    modes.kana = b2 == 'I' ? ModeOn : 0;
    return true;
  }
  return false;
}

// One step of the JIS walk; returns how far the walk advances (0 when bytes
// were removed at the read position).
int JisToSjis(WorkingText& text, Modes& modes) {
  const std::size_t p = text.Read();
  const Byte b = text.At(p) & static_cast<Byte>(~kHighBit);
  if (b == kSo || b == kSi) {
    modes.kana = b == kSo ? ModeOn : 0;
    modes.kanji = 0;
    text.RemoveCuttingAtLf(1);
    return 0;
  }
  if (b == kEsc) {
    Byte b1 = kNul;
    Byte b2 = kNul;
    if (p + 1 < text.End()) b1 = text.ClearHighBitAhead(p + 1);
    if (b1 != kNul && p + 2 < text.End()) b2 = text.ClearHighBitAhead(p + 2);
    if (b2 != kNul && TakeDesignation(b1, b2, modes)) {
      text.Remove(3);
      return 0;
    }
  }
  if (modes.kanji == 0) {
    text.Keep(modes.kana != 0 && InRange(b, 0x21, 0x5F) ? b | kHighBit : b);
    return 1;
  }
  if (!InRange(b, 0x21, 0x7E) || p + 1 == text.End()) {
    text.Keep(b);
    return 1;
  }
  text.KeepPair(b, text.At(p + 1));  // the second byte as it stands, bit 7 and all
  return 2;
}

void WalkJis(WorkingText& text, Modes& modes) {
  while (text.More()) {
    if (modes.kanji == 0 && modes.kana == 0) {
      text.KeepPlainRun();
      if (!text.More()) break;
    }
    JisToSjis(text, modes);
  }
}

// --- EUC-JP -------------------------------------------------------------------

// One step of the EUC-JP walk; returns how far the walk advances (0 when bytes
// were removed at the read position).
int EucToSjis(WorkingText& text, Modes& modes) {
  const std::size_t p = text.Read();
  const Byte b = text.At(p);
  const bool has1 = p + 1 < text.End();
  if (b == kEsc && p + 2 < text.End() && text.At(p + 1) == '(' &&
      (text.At(p + 2) == 'I' || text.At(p + 2) == 'J')) {
    modes.kana = text.At(p + 2) == 'I' ? ModeOn : 0;
    text.RemoveCuttingAtLf(3);
    return 0;
  }
  if (b == kSo || b == kSi) {
    modes.kana = b == kSo ? ModeOn : 0;
    text.RemoveCuttingAtLf(1);
    return 0;
  }
  if (modes.kana != 0) {
    text.Keep(InRange(b, 0x21, 0x5F) ? b | kHighBit : b);
    return 1;
  }
  if (b == kSs2 && has1 && InRange(text.At(p + 1), 0xA1, 0xDF)) {
    text.RemoveCuttingBehindLf();
    text.Keep(text.At(p + 1));  // the katakana byte is already Shift_JIS
    return 1;
  }
  if (!InRange(b, 0xA1, 0xFE) || !has1) {
    text.Keep(InRange(b, 0xA1, 0xFE) ? b : b & static_cast<Byte>(~kHighBit));
    return 1;
  }
  text.KeepPair(b & ~kHighBit, text.At(p + 1) & ~kHighBit);
  return 2;
}

void WalkEuc(WorkingText& text, Modes& modes) {
  while (text.More()) {
    if (modes.kana == 0) {
      text.KeepPlainRun();
      if (!text.More()) break;
    }
    EucToSjis(text, modes);
  }
}

}  // namespace

void DetectKanjiCode(std::string_view text) {
  KanjiCode = KanjiCodeJis;
  const auto* bytes = reinterpret_cast<const Byte*>(text.data());
  const std::size_t n = text.size();

  std::int32_t code = KanjiCodeJis;
  int ss2State = 0;  // 1 right after SS2, 2 once SS2 was followed by katakana
  bool sawSs2 = false;
  bool pairOpen = false;  // the last 8-bit byte of the line still wants a partner
  for (std::size_t i = 0; i < n; ++i) {
    if constexpr (kWordScan) {
      // A run of 7-bit bytes at most completes one pair and changes nothing else.
      if (i + sizeof(Word) <= n && FirstLineStops(LoadWord(bytes + i)) == 0) {
        pairOpen = false;
        i += sizeof(Word) - 1;
        continue;
      }
    }
    const Byte b = bytes[i];
    if (EndsFirstLine(b)) break;
    pairOpen = !pairOpen && b >= kHighBit;  // an 8-bit byte takes the next byte, whatever it is
    if (b < kHighBit) continue;
    if (ss2State != 2) ss2State = ss2State == 1 && InRange(b, 0xA1, 0xDF) ? 2 : 0;
    if (b == kSs2) {
      ss2State = 1;
      sawSs2 = true;
    }
    if (b < 0xA0 && b != kSs2) {
      KanjiCode = KanjiCodeSjis;  // and so it stays, whatever follows
      return;
    }
    code = KanjiCodeEuc;
  }
  if (code == KanjiCodeEuc && (pairOpen || (sawSs2 && ss2State == 0))) code = KanjiCodeSjis;
  KanjiCode = code;
}

std::string ConvertKanjiCodeText(std::string_view text) {
  if (text.empty()) return {};
  // Nothing behind a NUL reaches the result, nor plays any part.
  if (const void* nul = std::memchr(text.data(), kNul, text.size()))
    text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));

  KanjiCode = KanjiCodeJis;
  DetectKanjiCode(text);
  std::string result(text);
  if (KanjiCode == KanjiCodeSjis) return result;

  WorkingText working(reinterpret_cast<Byte*>(result.data()), result.size());
  Modes modes;
  if (KanjiCode == KanjiCodeJis)
    WalkJis(working, modes);
  else
    WalkEuc(working, modes);
  modes.Store();
  result.resize(working.ResultLength());
  return result;
}

}  // namespace RezUrav
