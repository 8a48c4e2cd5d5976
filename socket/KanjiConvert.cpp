#include "socket/KanjiConvert.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "socket/KanjiAvx2.h"

namespace RezUrav {

std::int32_t KanjiCode = 0;
std::uint8_t KanjiMode = 0;
std::uint8_t KanaMode = 0;

namespace {

using Byte = unsigned char;

const bool kAvx2 = KanjiAvx2::Available();
// Shorter runs are not worth the wider loops' start.
constexpr std::size_t kWideRun = 64;

constexpr Byte kNul = 0x00;
constexpr Byte kLf = 0x0A;
constexpr Byte kCr = 0x0D;
constexpr Byte kSo = 0x0E;
constexpr Byte kSi = 0x0F;
constexpr Byte kCtrlZ = 0x1A;
constexpr Byte kEsc = 0x1B;
constexpr Byte kSs2 = 0x8E;
constexpr Byte kHighBit = 0x80;
constexpr Byte kLow7 = 0x7F;

constexpr bool InRange(Byte b, Byte low, Byte high) { return b >= low && b <= high; }

// Bytes that a walk leaves as they are while no shift is in force: 7-bit, and
// not SO, SI or ESC.
constexpr bool IsPlain(Byte b) { return b < kHighBit && b != kSo && b != kSi && b != kEsc; }

constexpr bool EndsFirstLine(Byte b) { return b == kNul || b == kCtrlZ || b == kCr || b == kLf; }

// --- Sixteen bytes at a time ------------------------------------------------
// Plain text and runs of pairs go sixteen bytes at a time, in the compiler's
// portable vectors (SSE2 on x86-64); lane i is byte i of the text. Where the
// byte order would mix up the bytes of a pair in a 16-bit lane, everything
// goes byte by byte instead.

using Vec = Byte __attribute__((vector_size(16)));
using PairLanes = std::int16_t __attribute__((vector_size(16)));  // a pair each, first byte low
constexpr std::size_t kVec = sizeof(Vec);
constexpr bool kVectorScan = std::endian::native == std::endian::little;
constexpr unsigned kAllLanes = 0xFFFF;

inline Vec LoadVec(const Byte* p) {
  Vec v;
  std::memcpy(&v, p, kVec);
  return v;
}

inline void StoreVec(Byte* p, Vec v) { std::memcpy(p, &v, kVec); }

// Bit 7 of every lane, lane i in bit i.
inline unsigned LaneBits(Vec v) {
#if defined(__SSE2__)
  return static_cast<unsigned>(_mm_movemask_epi8(std::bit_cast<__m128i>(v)));
#else
  unsigned bits = 0;
  for (unsigned i = 0; i < kVec; ++i) bits |= static_cast<unsigned>(v[i] >> 7) << i;
  return bits;
#endif
}

// A lane-wise comparison as lanes of all ones or zero.
template <typename Comparison>
inline Vec AsMask(Comparison lanes) {
  return std::bit_cast<Vec>(lanes);
}

inline Vec InRangeLanes(Vec v, Byte low, Byte high) {
  return AsMask(static_cast<Vec>(v - low) <= static_cast<Byte>(high - low));
}

inline unsigned NotPlainLanes(Vec v) {
  return LaneBits(v | AsMask((v & 0xFE) == kSo) | AsMask(v == kEsc));
}

// Lanes of bytes that end the first line.
inline Vec FirstLineStops(Vec v) {
  return AsMask(v == kNul) | AsMask(v == kCtrlZ) | AsMask(v == kCr) | AsMask(v == kLf);
}

constexpr unsigned kEvenLanes = 0x5555;

// The odd lanes, the second bytes of pairs, moved to the first eight.
inline Vec SecondBytes(Vec v) {
  return __builtin_shufflevector(v, v, 1, 3, 5, 7, 9, 11, 13, 15, 1, 3, 5, 7, 9, 11, 13, 15);
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

// Eight pairs at once, for bytes whose low 7 bits lie in 0x21-0x7E. There the
// quotient is half the row and the remainder the cell, plus 94 in odd rows;
// no lane's arithmetic reaches into the next.
inline Vec EightSjisPairs(Vec v) {
  const PairLanes x = std::bit_cast<PairLanes>(v);
  const PairLanes row = (x & kLow7) - 0x21;
  const PairLanes cell = ((x >> 8) & kLow7) - 0x21;
  PairLanes lead = (row >> 1) + 0x81;
  lead += (lead > 0x9F) & 0x40;
  PairLanes trail = cell + (((row << 15) >> 15) & 94) + 0x40;  // 94 more in odd rows
  trail -= trail > 0x7E;                                       // a true lane is -1
  return std::bit_cast<Vec>(PairLanes(lead | (trail << 8)));
}

// --- Modes -------------------------------------------------------------------

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

// ESC, then these two bytes without bit 7: a designation of the table sets
// the modes (and the walk removes the three bytes).
inline bool TakeDesignation(Byte b1, Byte b2, Modes& modes) {
  switch (b1 << 8 | b2) {
    case '$' << 8 | '@':
    case '$' << 8 | 'B':
      modes.kanji = ModeOn;
      modes.kana = 0;
      return true;
    case '(' << 8 | 'B':
    case '(' << 8 | 'H':
    case '(' << 8 | 'J':
      modes.kanji = 0;
      modes.kana = 0;
      return true;
    case '(' << 8 | 'I':
      modes.kanji = 0;
      modes.kana = ModeOn;
      return true;
    default:
      return false;
  }
}

// --- The working text ---------------------------------------------------------

// Where a run got to in the block and in the result. The runs take and give
// positions by value, so that the walk's own can stay in registers.
struct Positions {
  std::size_t read;
  std::size_t written;
};
// The walk reads the block where it lies and writes what it keeps to the
// result, so removing bytes costs nothing: it moves nothing, the read position
// just skips them (moving the rest of the block forward at each removal would
// take quadratic time on text with a shift every few bytes). What a removal
// would cut off is kept out by pulling in `end`, where the walk stops. A 0x80
// that loses bit 7 is a NUL in the result, which ends there, while the walk
// goes on behind it for the shifts it may still meet; `resultEnd` keeps where.
// An ESC in JIS clears bit 7 of the two bytes behind it before the walk gets
// there; they are read so until `clearedEnd`.
//
// A first byte of a pair whose partner would be at `end` (the block ended, or
// a removal cut the text there) is left as it is and the walk ends: nothing at
// or behind `end` is taken as its partner, and nothing outside the block and
// the result is read or written.
//
// Bulk steps store sixteen bytes and advance by as many as they made; the
// rest is overwritten later or cut off. The result has room for that, as
// writing never passes reading and a store happens only with sixteen bytes
// left to read.
class WorkingText {
 public:
  WorkingText(const Byte* in, std::size_t size, Byte* out) : in_(in), out_(out), end_(size) {}

  bool More() const { return read_ < end_; }
  std::size_t Read() const { return read_; }
  std::size_t End() const { return end_; }
  bool InCleared() const { return read_ < clearedEnd_; }
  Byte At(std::size_t i) const { return i < clearedEnd_ ? in_[i] & kLow7 : in_[i]; }
  std::size_t ResultLength() const { return resultEnd_ < write_ ? resultEnd_ : write_; }

  void Keep(Byte b) {
    if (b == kNul && resultEnd_ == kNone) resultEnd_ = write_;
    out_[write_++] = b;
    ++read_;
  }
  void KeepPair(int j1, int j2) {
    PutSjisPair(j1, j2, out_ + write_);
    write_ += 2;
    read_ += 2;
  }

  // Runs: the common steps, those that return 1 or 2 and change no mode, done
  // in a tight loop up to the first byte that needs the full step. They work
  // on local copies of the positions, which writes to the result cannot alias.

  // Half-width katakana in EUC-JP after SO or ESC ( I.
  void KeepKanaRun() {
    const Positions at = KanaRun(in_, out_, {read_, write_}, end_);
    read_ = at.read;
    write_ = at.written;
  }

  // JIS: runs in the modes in force, with the designations and SO and SI
  // between them, until the text ends or a byte needs the full step. Not
  // among the bytes an ESC changed ahead.
  //
  // Where runs are short, as in text with a shift every few bytes, finding
  // where each run ends would hold up the next: every step would wait for a
  // load and a comparison of the bytes behind the last one. So the bytes that
  // end runs are looked up 32 at a time, and a run's end within those comes
  // from the bits; the bytes of a run are converted 16 at a time beside it.
  void KeepJisRuns(Modes& modes) {
    const Byte* const in = in_;
    Byte* const out = out_;
    std::size_t r = read_;
    std::size_t w = write_;
    std::size_t e = end_;
    Modes m = modes;
    std::size_t window = 0;  // where the 32 bytes looked up begin,
    unsigned ends = 0;       // which of them end a run,
    unsigned pairable = 0;   // and which are 0x21-0x7E
    bool looked = false;
    for (;;) {
      if (kVectorScan && r + kWindowSlack <= e) {
        if (!looked || r >= window + kWindow) {
          window = r;
          ends = RunEnds(in + r);
          pairable = PairableLanes(in + r);
          looked = true;
        }
        const std::size_t offset = r - window;
        if (const unsigned ahead = ends >> offset) {
          const std::size_t n = static_cast<std::size_t>(std::countr_zero(ahead));
          if (m.kanji == 0) {
            StoreVec(out + w, OneByteConverted(LoadVec(in + r), m.kana));
            if (n > kVec)
              StoreVec(out + w + kVec, OneByteConverted(LoadVec(in + r + kVec), m.kana));
            r += n;
            w += n;
          } else if (n % 2 == 0 && ((~pairable >> offset) & ((1u << n) - 1)) == 0) {
            StoreVec(out + w, EightSjisPairs(LoadVec(in + r)));
            if (n > kVec) StoreVec(out + w + kVec, EightSjisPairs(LoadVec(in + r + kVec)));
            r += n;
            w += n;
          } else {  // a byte that pairs with none, or a pair around the run's end
            const Positions at = JisTwoByteRun(in, out, {r, w}, e);
            r = at.read;
            w = at.written;
          }
        } else {  // a run that goes on past these 32 bytes
          const Positions at = RunInModes(in, out, {r, w}, e, m);
          r = at.read;
          w = at.written;
        }
      } else {
        const Positions at = RunInModes(in, out, {r, w}, e, m);
        r = at.read;
        w = at.written;
      }
      if (r >= e) break;
      // The usual end of a run, which the full step would take the same way
      // (clearing bit 7 changes none of these bytes): taken here at once.
      const Byte b = in[r];
      if (b == kEsc) {
        if (r + 2 >= e || in[r + 1] >= kHighBit || in[r + 2] >= kHighBit ||
            !TakeDesignation(in[r + 1], in[r + 2], m))
          break;
        r += 3;
      } else if (b == kSo || b == kSi) {
        m.kana = b == kSo ? ModeOn : 0;
        m.kanji = 0;
        ++r;
        if (lf_ == kNone || lf_ < r) {  // a shift removed cuts the text at the next LF
          read_ = r;
          NextLf();
        }
        if (lf_ < e) e = end_ = lf_;
      } else {
        break;
      }
    }
    read_ = r;
    write_ = w;
    modes = m;
  }

  // EUC-JP without katakana shift: 0xA1-0xFE and the byte behind it, both
  // without bit 7, make a pair; SS2 before katakana goes; plain bytes stay.
  // Other 8-bit bytes and a first byte at the end take the full step.
  void KeepEucRun() {
    const Byte* const in = in_;
    Byte* const out = out_;
    std::size_t r = read_;
    std::size_t w = write_;
    if (kAvx2 && r + kWideRun < end_) {
      // Up to the next LF, where an SS2 would cut the text.
      const std::size_t lf = NextLf();
      const KanjiAvx2::EucStep step = KanjiAvx2::ConvertEuc(in, r, lf < end_ ? lf : end_, out, w);
      r = step.read;
      w = step.written;
      if (step.ss2 && lf < end_) end_ = lf + 1;
    }
    for (std::size_t e = end_; r < e;) {
      if (kVectorScan && r + kVec <= e) {
        const Vec v = LoadVec(in + r);
        const unsigned pairable = LaneBits(InRangeLanes(v, 0xA1, 0xFE));
        if (pairable != 0) StoreVec(out + w, EightSjisPairs(v));
        if (pairable == kAllLanes) {
          r += kVec;
          w += kVec;
          continue;
        }
        if (const std::size_t n = WholePairs(pairable)) {
          r += n;
          w += n;
          continue;
        }
        if (const unsigned marks = NotPlainLanes(v); (marks & 1) == 0) {
          StoreVec(out + w, v);
          const auto n = static_cast<std::size_t>(std::countr_zero(marks | 1u << kVec));
          r += n;
          w += n;
          continue;
        }
        const unsigned ss2Kana = (LaneBits(AsMask(v == kSs2)) & kEvenLanes) |
                                 (LaneBits(InRangeLanes(v, 0xA1, 0xDF)) & ~kEvenLanes);
        if (const std::size_t n = WholePairs(ss2Kana)) {
          read_ = r;
          RemoveCuttingBehindLf();  // as every SS2 before the next LF would
          e = end_;
          StoreVec(out + w, SecondBytes(v));
          r += n;
          w += n / 2;
          continue;
        }
      }
      const Byte b = in[r];
      if (InRange(b, 0xA1, 0xFE) && r + 1 < e) {
        PutSjisPair(b & kLow7, in[r + 1] & kLow7, out + w);
        r += 2;
        w += 2;
      } else if (IsPlain(b)) {
        out[w++] = b;
        ++r;
      } else if (b == kSs2 && r + 1 < e && InRange(in[r + 1], 0xA1, 0xDF)) {
        read_ = r;
        RemoveCuttingBehindLf();
        e = end_;
        out[w++] = in[r + 1];  // the katakana byte is already Shift_JIS
        r += 2;
      } else {
        break;
      }
    }
    read_ = r;
    write_ = w;
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

  // Clears bit 7 of the byte at i, the next one behind the cleared bytes and
  // before `end`; a NUL made so ends the text there.
  Byte ClearHighBitAhead(std::size_t i) {
    if (i + 1 > clearedEnd_) clearedEnd_ = i + 1;
    const Byte b = At(i);
    if (b == kNul) CutAt(i);
    if (b == kLf && i < lf_) lf_ = i;
    return b;
  }

 private:
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

  // The runs themselves, from r to the first byte that is not plain.

  // No shift: plain bytes stay as they are.
  static Positions PlainRun(const Byte* in, Byte* out, Positions at, std::size_t e) {
    std::size_t r = at.read;
    std::size_t w = at.written;
    if constexpr (kVectorScan) {
      for (; r + kVec <= e; r += kVec, w += kVec) {
        const Vec v = LoadVec(in + r);
        StoreVec(out + w, v);
        if (const unsigned marks = NotPlainLanes(v)) {
          r += static_cast<std::size_t>(std::countr_zero(marks));
          w += static_cast<std::size_t>(std::countr_zero(marks));
          return {r, w};
        }
      }
    }
    for (; r < e && IsPlain(in[r]); ++r, ++w) out[w] = in[r];
    return {r, w};
  }

  // Half-width katakana: of the plain bytes, 0x21-0x5F gain bit 7.
  static Positions KanaRun(const Byte* in, Byte* out, Positions at, std::size_t e) {
    std::size_t r = at.read;
    std::size_t w = at.written;
    if constexpr (kVectorScan) {
      for (; r + kVec <= e; r += kVec, w += kVec) {
        const Vec v = LoadVec(in + r);
        StoreVec(out + w, v | (InRangeLanes(v, 0x21, 0x5F) & kHighBit));
        if (const unsigned marks = NotPlainLanes(v)) {
          r += static_cast<std::size_t>(std::countr_zero(marks));
          w += static_cast<std::size_t>(std::countr_zero(marks));
          return {r, w};
        }
      }
    }
    for (; r < e && IsPlain(in[r]); ++r, ++w)
      out[w] = InRange(in[r], 0x21, 0x5F) ? in[r] | kHighBit : in[r];
    return {r, w};
  }

  // The JIS two-byte set: 0x21-0x7E starts a pair, its second byte taken as it
  // is; other plain bytes, and a first byte at the end, stay.
  static Positions JisTwoByteRun(const Byte* in, Byte* out, Positions at, std::size_t e) {
    std::size_t r = at.read;
    std::size_t w = at.written;
    while (r < e && IsPlain(in[r])) {
      if (kVectorScan && r + kVec <= e) {
        const Vec v = LoadVec(in + r);
        const unsigned pairable = LaneBits(InRangeLanes(v, 0x21, 0x7E));
        if (pairable != 0) StoreVec(out + w, EightSjisPairs(v));
        if (pairable == kAllLanes) {
          r += kVec;
          w += kVec;
          continue;
        }
        if (const std::size_t n = WholePairs(pairable)) {
          r += n;
          w += n;
          continue;
        }
      }
      const Byte b = in[r];
      if (!IsPlain(b)) break;  // after a vector that ended in whole pairs
      if (InRange(b, 0x21, 0x7E) && r + 1 < e) {
        PutSjisPair(b, in[r + 1], out + w);
        r += 2;
        w += 2;
      } else {
        out[w++] = b;
        ++r;
      }
    }
    return {r, w};
  }

  // Run ends are looked up 32 bytes at a time, and only with 64 bytes left,
  // so that a run that ends among them can be read in two loads of 16.
  static constexpr std::size_t kWindow = 2 * kVec;
  static constexpr std::size_t kWindowSlack = 2 * kWindow;

  // Of the 32 bytes at p, those that end a run: ESC, SO, SI and 8-bit bytes.
  static unsigned RunEnds(const Byte* p) {
    return NotPlainLanes(LoadVec(p)) | NotPlainLanes(LoadVec(p + kVec)) << kVec;
  }
  static unsigned PairableLanes(const Byte* p) {
    return LaneBits(InRangeLanes(LoadVec(p), 0x21, 0x7E)) |
           LaneBits(InRangeLanes(LoadVec(p + kVec), 0x21, 0x7E)) << kVec;
  }

  // One byte a character: while `kana` is ModeOn, half-width katakana
  // 0x21-0x5F gain bit 7; else bytes stay as they are.
  static Vec OneByteConverted(Vec v, Byte kana) { return v | (InRangeLanes(v, 0x21, 0x5F) & kana); }

  static Positions RunInModes(const Byte* in, Byte* out, Positions at, std::size_t e, Modes m) {
    if (m.kanji != 0) return JisTwoByteRun(in, out, at, e);
    if (m.kana != 0) return KanaRun(in, out, at, e);
    return PlainRun(in, out, at, e);
  }

  // How many bytes at the start of a vector of sixteen make whole pairs.
  static std::size_t WholePairs(unsigned pairable) {
    return static_cast<std::size_t>(std::countr_one(pairable)) & ~std::size_t{1};
  }

  void CutAt(std::size_t i) {
    if (i < end_) end_ = i;
  }

  // The first LF at or behind the read position, or `end`. The answer is
  // kept until the walk passes it, so cutting at every other byte of a long
  // line still reads the line once.
  std::size_t NextLf() {
    if (lf_ != kNone && lf_ >= read_) return lf_;
    std::size_t from = read_;
    for (; from < clearedEnd_ && from < end_; ++from) {
      if (At(from) == kLf) return lf_ = from;
    }
    const void* lf = from < end_ ? std::memchr(in_ + from, kLf, end_ - from) : nullptr;
    return lf_ = lf ? static_cast<std::size_t>(static_cast<const Byte*>(lf) - in_) : end_;
  }

  const Byte* in_;
  Byte* out_;
  std::size_t read_ = 0;
  std::size_t write_ = 0;
  std::size_t end_;
  std::size_t clearedEnd_ = 0;
  std::size_t resultEnd_ = kNone;
  // No LF in [some position <= read_, lf_); stale once below read_, unknown
  // while kNone.
  std::size_t lf_ = kNone;
};

// --- JIS ----------------------------------------------------------------------

// One step of the JIS walk; returns how far the walk advances (0 when bytes
// were removed at the read position).
int JisToSjis(WorkingText& text, Modes& modes) {
  const std::size_t p = text.Read();
  const Byte b = text.At(p) & kLow7;
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
    if (!text.InCleared()) {  // bytes an ESC changed ahead take the full step
      text.KeepJisRuns(modes);
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
  const bool hasNext = p + 1 < text.End();
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
  if (b == kSs2 && hasNext && InRange(text.At(p + 1), 0xA1, 0xDF)) {
    text.RemoveCuttingBehindLf();
    text.Keep(text.At(p + 1));  // the katakana byte is already Shift_JIS
    return 1;
  }
  if (!InRange(b, 0xA1, 0xFE)) {
    text.Keep(b & kLow7);
    return 1;
  }
  if (!hasNext) {
    text.Keep(b);
    return 1;
  }
  text.KeepPair(b & kLow7, text.At(p + 1) & kLow7);
  return 2;
}

void WalkEuc(WorkingText& text, Modes& modes) {
  while (text.More()) {
    if (modes.kana != 0)
      text.KeepKanaRun();
    else
      text.KeepEucRun();
    if (!text.More()) break;
    EucToSjis(text, modes);
  }
}

}  // namespace

// Detection answers three questions about the first line:
// - Are there 8-bit bytes, and is one of them in 0x80-0x9F other than SS2?
// - Does the pair walk (an 8-bit byte takes the next byte, whatever it is)
//   leave the last byte alone? The walk always lands on the first byte of the
//   run of 8-bit bytes that ends the line (the 7-bit byte before it is passed
//   or was taken as a partner), so it does when that run is odd.
// - Is the first 8-bit byte behind the last SS2 outside the katakana range?
// Answered so, each takes one pass that goes sixteen bytes at a time.
void DetectKanjiCode(std::string_view text) {
  const auto* bytes = reinterpret_cast<const Byte*>(text.data());
  const std::size_t n = text.size();

  std::size_t lineEnd = n;
  bool eightBit = false;
  std::size_t lastSs2 = n;
  std::size_t i = 0;
  if (kAvx2) {
    const KanjiAvx2::LineScan scan = KanjiAvx2::ScanFirstLine(bytes, n, n);
    i = scan.passed;
    eightBit = scan.eightBit;
    lastSs2 = scan.lastSs2;
  }
  if constexpr (kVectorScan) {
    std::size_t ss2Chunk = 0;  // where the last sixteen bytes with SS2 start,
    unsigned ss2Lanes = 0;     // and its lanes
    Vec seen = {};             // the sixteens passed over, or-ed: were there 8-bit bytes?
    for (; i + kVec <= n; i += kVec) {
      const Vec v = LoadVec(bytes + i);
      const Vec ss2 = AsMask(v == kSs2);
      const Vec stops = FirstLineStops(v);
      // Only a sixteen that ends the line or has a byte in 0x80-0x9F but SS2
      // needs a closer look.
      if (LaneBits(stops | (InRangeLanes(v, 0x80, 0x9F) & ~ss2)) == 0) {
        seen |= v;
        const unsigned ss2Here = LaneBits(ss2);
        ss2Chunk = ss2Here ? i : ss2Chunk;
        ss2Lanes = ss2Here ? ss2Here : ss2Lanes;
        continue;
      }
      const unsigned stopLanes = LaneBits(stops);
      const unsigned inLine = stopLanes ? (stopLanes & (~stopLanes + 1)) - 1 : kAllLanes;
      if (LaneBits(InRangeLanes(v, 0x80, 0x9F) & ~ss2) & inLine) {
        KanjiCode = KanjiCodeSjis;
        return;
      }
      if (LaneBits(v) & inLine) eightBit = true;
      if (const unsigned ss2InLine = LaneBits(ss2) & inLine) {
        ss2Chunk = i;
        ss2Lanes = ss2InLine;
      }
      lineEnd = i + static_cast<std::size_t>(std::countr_zero(stopLanes));
      break;
    }
    eightBit = eightBit || LaneBits(seen) != 0;
    if (ss2Lanes) lastSs2 = ss2Chunk + static_cast<std::size_t>(std::bit_width(ss2Lanes) - 1);
  }
  if (lineEnd == n) {
    for (; i < n; ++i) {
      const Byte b = bytes[i];
      if (EndsFirstLine(b)) {
        lineEnd = i;
        break;
      }
      if (b < kHighBit) continue;
      eightBit = true;
      if (b == kSs2) {
        lastSs2 = i;
      } else if (b < 0xA0) {
        KanjiCode = KanjiCodeSjis;
        return;
      }
    }
  }
  if (!eightBit) {
    KanjiCode = KanjiCodeJis;
    return;
  }

  std::size_t run = 0;
  if constexpr (kVectorScan) {
    while (run + kVec <= lineEnd && LaneBits(LoadVec(bytes + lineEnd - run - kVec)) == kAllLanes)
      run += kVec;
  }
  while (run < lineEnd && bytes[lineEnd - run - 1] >= kHighBit) ++run;
  if (run % 2 != 0) {
    KanjiCode = KanjiCodeSjis;
    return;
  }

  for (std::size_t j = lastSs2 + 1; j < lineEnd; ++j) {
    if (bytes[j] < kHighBit) continue;
    if (!InRange(bytes[j], 0xA1, 0xDF)) {
      KanjiCode = KanjiCodeSjis;
      return;
    }
    break;
  }
  KanjiCode = KanjiCodeEuc;
}

std::string ConvertKanjiCodeText(std::string_view text) {
  if (text.empty()) return {};
  // Nothing behind a NUL reaches the result, nor plays any part.
  if (const void* nul = std::memchr(text.data(), kNul, text.size()))
    text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));

  KanjiCode = KanjiCodeJis;
  DetectKanjiCode(text);
  if (KanjiCode == KanjiCodeSjis) return std::string(text);

  std::string result(text.size(), '\0');
  WorkingText working(reinterpret_cast<const Byte*>(text.data()), text.size(),
                      reinterpret_cast<Byte*>(result.data()));
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
