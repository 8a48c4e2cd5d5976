#include "socket/KanjiAvx2.h"

#include <array>
#include <bit>
#include <cstdint>

#if defined(__x86_64__) && !defined(VARDEX_BASELINE_VECTORS)
#define VARDEX_AVX2 1
#include <immintrin.h>
#else
#define VARDEX_AVX2 0
#endif

namespace RezUrav::KanjiAvx2 {

#if VARDEX_AVX2

namespace {

#define VARDEX_TARGET [[gnu::target("avx2,popcnt")]]

constexpr std::size_t kPiece = 32;
constexpr unsigned kEvenLanes = 0x55555555u;

// Thirty-two lanes of one byte, made opaque to the compiler: it would
// otherwise build each constant again in every round of a loop instead of
// keeping it in a register.
template <Byte b>
VARDEX_TARGET inline __m256i Bytes() {
  __m256i lanes = _mm256_set1_epi8(static_cast<char>(b));
  asm("" : "+x"(lanes));
  return lanes;
}

VARDEX_TARGET inline unsigned LaneBits(__m256i lanes) {
  return static_cast<unsigned>(_mm256_movemask_epi8(lanes));
}

// Lanes of bytes in low..high, as all ones.
template <Byte low, Byte high>
VARDEX_TARGET inline __m256i InRange(__m256i v) {
  const __m256i x = _mm256_sub_epi8(v, Bytes<low>());
  return _mm256_cmpeq_epi8(_mm256_min_epu8(x, Bytes<high - low>()), x);
}

// Lane i all ones where bit i of `lanes` is set: byte k of `lanes` spread
// over lanes 8k-8k+7, then each lane tests its own bit.
VARDEX_TARGET inline __m256i LanesOf(unsigned lanes) {
  const __m256i spread =
      _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(lanes)),
                          _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                           2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3));
  const __m256i bit = _mm256_set1_epi64x(0x8040201008040201);
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
}

// Lanes that begin a unit among the runs of set lanes in `high`: adding a
// run's start to the run carries through it, which picks out the runs that
// start on even lanes at once.
inline unsigned UnitStarts(unsigned high) {
  const unsigned runStarts = high & ~(high << 1);
  const unsigned oddRuns = (high + (runStarts & kEvenLanes)) & high;
  const unsigned evenRuns = high & ~oddRuns;
  return (evenRuns & kEvenLanes) | (oddRuns & ~kEvenLanes);
}

constexpr bool InRange(Byte b, Byte low, Byte high) { return b >= low && b <= high; }

// For each set of kept lanes among eight, their numbers one after another.
constexpr std::array<std::uint64_t, 256> kKeptLanes = [] {
  std::array<std::uint64_t, 256> table{};
  for (unsigned kept = 0; kept < 256; ++kept) {
    unsigned at = 0;
    for (unsigned lane = 0; lane < 8; ++lane)
      if (kept & (1u << lane)) table[kept] |= std::uint64_t{lane} << (8 * at++);
  }
  return table;
}();

// Stores the lanes of v in `kept` one after another at out, eight lanes at a
// time; returns how many. Each group writes eight bytes.
VARDEX_TARGET inline std::size_t StoreKept(Byte* out, __m256i v, unsigned kept) {
  std::size_t w = 0;
  for (unsigned half = 0; half < 2; ++half) {
    const __m128i lanes = half == 0 ? _mm256_castsi256_si128(v) : _mm256_extracti128_si256(v, 1);
    for (unsigned group = 0; group < 2; ++group) {
      const unsigned bits = (kept >> (16 * half + 8 * group)) & 0xFF;
      const std::uint64_t order = kKeptLanes[bits] + (group ? 0x0808080808080808u : 0);
      const __m128i packed =
          _mm_shuffle_epi8(lanes, _mm_cvtsi64_si128(static_cast<long long>(order)));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + w), packed);
      w += static_cast<std::size_t>(std::popcount(bits));
    }
  }
  return w;
}

// Pairs made Shift_JIS in place: first bytes in `leads`, second bytes in
// `trails`, `before` the bytes one lane earlier. Both bytes of a pair are
// 0xA1-0xFE, row and cell 0-93: the first byte becomes 0x81 + row / 2, 0x40
// more from row 62 on (byte 0xDF); the second 0x40 + cell in even rows, one
// more from cell 63 on (byte 0xE0), and 0x9F + cell in odd rows, which are
// the even bytes.
VARDEX_TARGET inline __m256i PairsConverted(__m256i v, __m256i before, __m256i leads,
                                            __m256i trails) {
  // (byte + 0x60 + 1) / 2 = 0x81 + row / 2, rounded down
  __m256i lead = _mm256_avg_epu8(v, Bytes<0x60>());
  lead =
      _mm256_add_epi8(lead, _mm256_and_si256(_mm256_cmpgt_epi8(v, Bytes<0xDE>()), Bytes<0x40>()));
  const __m256i evenRowTrail =
      _mm256_sub_epi8(_mm256_sub_epi8(v, Bytes<0x61>()), _mm256_cmpgt_epi8(v, Bytes<0xDF>()));
  const __m256i oddRowTrail = _mm256_sub_epi8(v, Bytes<2>());
  // Bit 0 of the byte before to bit 7, where the blend looks: set in even rows.
  const __m256i trail = _mm256_blendv_epi8(oddRowTrail, evenRowTrail, _mm256_slli_epi16(before, 7));
  return _mm256_blendv_epi8(_mm256_blendv_epi8(v, lead, leads), trail, trails);
}

}  // namespace

bool Available() {
  __builtin_cpu_init();  // may run before the constructors that would do it
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

VARDEX_TARGET LineScan ScanFirstLine(const Byte* bytes, std::size_t n, std::size_t none) {
  LineScan scan;
  scan.lastSs2 = none;
  __m256i seen = _mm256_setzero_si256();
  std::size_t ss2Piece = 0;
  unsigned ss2Lanes = 0;
  std::size_t i = 0;
  for (; i + kPiece <= n; i += kPiece) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
    const __m256i ss2 = _mm256_cmpeq_epi8(v, Bytes<0x8E>());
    const __m256i ends = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(v, Bytes<0x00>()), _mm256_cmpeq_epi8(v, Bytes<0x1A>())),
        _mm256_or_si256(_mm256_cmpeq_epi8(v, Bytes<0x0D>()), _mm256_cmpeq_epi8(v, Bytes<0x0A>())));
    if (LaneBits(_mm256_or_si256(ends, _mm256_andnot_si256(ss2, InRange<0x80, 0x9F>(v)))) != 0)
      break;
    seen = _mm256_or_si256(seen, v);
    const unsigned ss2Here = LaneBits(ss2);
    ss2Piece = ss2Here ? i : ss2Piece;
    ss2Lanes = ss2Here ? ss2Here : ss2Lanes;
  }
  scan.passed = i;
  scan.eightBit = LaneBits(seen) != 0;
  if (ss2Lanes) scan.lastSs2 = ss2Piece + static_cast<std::size_t>(std::bit_width(ss2Lanes) - 1);
  return scan;
}

// The read position always moves on by 32, so that no step waits for the
// one before to count how far it got; a unit may begin in lane 31 and end in
// the next piece. Its first byte is then written (a pair's first byte depends
// on itself alone) or dropped (SS2), and the next piece takes lane 0 as its
// second byte.
VARDEX_TARGET EucStep ConvertEuc(const Byte* in, std::size_t r, std::size_t limit, Byte* out,
                                 std::size_t w) {
  bool ss2Seen = false;
  bool open = false;      // lane 0 ends a unit begun in the piece before
  bool openPair = false;  // and that unit is a pair
  __m256i previous = _mm256_setzero_si256();
  for (; r + kPiece < limit; r += kPiece) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + r));
    const unsigned pairBytes = LaneBits(InRange<0xA1, 0xFE>(v));
    const unsigned kanaBytes = LaneBits(InRange<0xA1, 0xDF>(v));
    const unsigned ss2Bytes = LaneBits(_mm256_cmpeq_epi8(v, Bytes<0x8E>()));
    const unsigned shifts = LaneBits(
        _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_and_si256(v, Bytes<0xFE>()), Bytes<0x0E>()),
                        _mm256_cmpeq_epi8(v, Bytes<0x1B>())));
    const Byte next = in[r + kPiece];
    const unsigned starts = UnitStarts(LaneBits(v) & ~static_cast<unsigned>(open));
    const unsigned pairs =
        starts & pairBytes &
        ((pairBytes >> 1) | static_cast<unsigned>(InRange(next, 0xA1, 0xFE)) << 31);
    const unsigned ss2 =
        starts & ss2Bytes &
        ((kanaBytes >> 1) | static_cast<unsigned>(InRange(next, 0xA1, 0xDF)) << 31);
    if (((starts & ~(pairs | ss2)) | shifts) != 0) break;

    // Lane i - 1 of v in lane i, lane 0 from the piece before.
    const __m256i before = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(previous, v, 0x21), 15);
    const __m256i converted = PairsConverted(
        v, before, LanesOf(pairs), LanesOf((pairs << 1) | static_cast<unsigned>(openPair)));
    if (ss2 == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + w), converted);
      w += kPiece;
    } else {
      ss2Seen = true;
      w += StoreKept(out + w, converted, ~ss2);
    }
    open = ((pairs | ss2) >> 31) != 0;
    openPair = (pairs >> 31) != 0;
    previous = v;
  }
  if (open) {  // the unit begun in lane 31 goes back to the byte-wise way
    --r;
    if (openPair) --w;
  }
  return {r, w, ss2Seen};
}

#undef VARDEX_TARGET

#else  // no AVX2 here: the callers never use the loops

bool Available() { return false; }
LineScan ScanFirstLine(const Byte*, std::size_t, std::size_t none) { return {0, false, none}; }
EucStep ConvertEuc(const Byte*, std::size_t read, std::size_t, Byte*, std::size_t written) {
  return {read, written, false};
}

#endif

}  // namespace RezUrav::KanjiAvx2
