// The product conversion against the plain step-by-step one in the test tree,
// block sequence by block sequence, comparing the result and the state that
// each leaves (KanjiCode, and the carried KanjiMode and KanaMode). Inputs come
// from a seeded generator, so a failure repeats.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "socket/KanjiConvert.h"
#include "tests/support/LiteralKanjiConvert.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Encode;
using testing_support::Hex;
using testing_support::LiteralKanjiConvert;
using Blocks = std::vector<std::string>;

class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  // Uniform enough for test data, and the same on every standard library.
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : engine_() % n; }
  bool OneIn(std::size_t n) { return Below(n) == 0; }
  template <typename T, std::size_t N>
  T Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::mt19937 engine_;
};

const unsigned char kSpecialBytes[] = {0x0A, 0x0D, 0x0E, 0x0F, 0x1A, 0x1B, 0x24, 0x28, 0x40, 0x42,
                                       0x49, 0x4A, 0x80, 0x8E, 0x9B, 0xA0, 0xA1, 0xDF, 0xFE, 0xFF};

// Random bytes mostly make a Shift_JIS first line, which is not walked; these
// beginnings steer blocks into the JIS and EUC-JP walks too.
const char* const kFirstLines[] = {"", "", "ok\r\n", "\n", "\xA4\xA2\r\n", "\x8E\xB1\xA4\xA2\n"};

std::string Shown(const Blocks& blocks) {
  std::string out;
  for (const std::string& b : blocks) out += "[" + Hex(b.substr(0, 400)) + "] ";
  return out;
}

// Runs both conversions over the blocks in turn, from the given modes.
testing::AssertionResult SameAsLiteral(const Blocks& blocks, std::uint8_t kanji,
                                       std::uint8_t kana) {
  LiteralKanjiConvert literal;
  literal.KanjiMode = RezUrav::KanjiMode = kanji;
  literal.KanaMode = RezUrav::KanaMode = kana;
  literal.KanjiCode = RezUrav::KanjiCode = 0;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const std::string expected = literal.ConvertKanjiCode(blocks[i]);
    const std::string actual = RezUrav::ConvertKanjiCodeText(blocks[i]);
    if (actual != expected || RezUrav::KanjiCode != literal.KanjiCode ||
        RezUrav::KanjiMode != literal.KanjiMode || RezUrav::KanaMode != literal.KanaMode) {
      return testing::AssertionFailure()
             << "block " << i + 1 << " of " << Shown(blocks) << "from modes " << int{kanji} << "/"
             << int{kana} << "\n  product: " << Hex(actual) << " code " << RezUrav::KanjiCode
             << " modes " << int{RezUrav::KanjiMode} << "/" << int{RezUrav::KanaMode}
             << "\n  literal: " << Hex(expected) << " code " << literal.KanjiCode << " modes "
             << int{literal.KanjiMode} << "/" << int{literal.KanaMode};
    }
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult SameAsLiteralFromAnyModes(const Blocks& blocks, Random& random) {
  const std::uint8_t modes[] = {0, RezUrav::ModeOn};
  return SameAsLiteral(blocks, random.Pick(modes), random.Pick(modes));
}

// --- Real text ------------------------------------------------------------------

// Characters whose mapping JIS X 0208, EUC-JP and code page 932 all agree on.
const char* const kPieces[] = {
    "あ", "い",    "う",   "え", "お",     "か", "が", "き", "く", "け", "こ", "さ", "し", "す",
    "せ", "そ",    "た",   "だ", "ち",     "っ", "つ", "て", "で", "と", "な", "に", "の", "は",
    "ば", "ぱ",    "ま",   "み", "も",     "や", "ょ", "ら", "り", "る", "れ", "を", "ん", "ア",
    "イ", "ウ",    "エ",   "カ", "ガ",     "キ", "ク", "サ", "シ", "ス", "タ", "ト", "ド", "ナ",
    "ハ", "パ",    "マ",   "ル", "ン",     "ー", "日", "本", "語", "漢", "字", "変", "換", "通",
    "信", "装",    "置",   "接", "続",     "送", "受", "応", "答", "時", "間", "設", "定", "状",
    "態", "確",    "認",   "電", "源",     "番", "号", "名", "前", "開", "始", "終", "了", "機",
    "能", "管",    "理",   "、", "。",     "「", "」", "・", "ｱ",  "ｲ",  "ｳ",  "ｶ",  "ｷ",  "ｻ",
    "ﾀ",  "ﾃ",     "ﾄ",    "ﾊ",  "ﾎ",      "ﾏ",  "ﾗ",  "ﾝ",  "ﾞ",  "ﾟ",  "ｰ",  "｡",  "｢",  "｣",
    "OK", "ERROR", "port", "23", "status", " ",  " ",  ": ", "=",  ">",  "-"};

// A line of Japanese text in UTF-8, beginning with hiragana so that its
// Shift_JIS form is detected as such, ending in CR LF.
std::string Utf8Line(Random& random) {
  std::string line = "こ";
  for (std::size_t n = 1 + random.Below(40); n > 0; --n) line += random.Pick(kPieces);
  return line + "\r\n";
}

std::vector<std::string> Utf8Lines(Random& random, std::size_t count) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i) lines.push_back(Utf8Line(random));
  return lines;
}

// JIS with half-width katakana shifted by SO and SI instead of ESC ( I.
std::string WithShiftOutIn(std::string jis) {
  std::string out;
  bool inKana = false;
  for (std::size_t i = 0; i < jis.size(); ++i) {
    if (jis.compare(i, 3, "\x1B(I") == 0) {
      out += '\x0E';
      inKana = true;
      i += 2;
      continue;
    }
    if (inKana && jis[i] == '\x1B') {
      out += '\x0F';
      inKana = false;
    }
    out += jis[i];
  }
  return out;
}

std::string Encoded(const std::vector<std::string>& lines, int encoding) {
  std::string out;
  for (const std::string& line : lines) {
    switch (encoding) {
      case 0:
        out += Encode(line, "ISO-2022-JP-2");
        break;
      case 1:
        out += WithShiftOutIn(Encode(line, "ISO-2022-JP-2"));
        break;
      case 2:
        out += Encode(line, "EUC-JP");
        break;
      default:
        out += Encode(line, "CP932");
        break;
    }
  }
  return out;
}

// Cuts text into blocks at random points, through characters and escapes.
Blocks RandomCuts(const std::string& text, Random& random, std::size_t maxBlock) {
  Blocks blocks;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = random.Below(maxBlock + 1);
    blocks.push_back(text.substr(at, n));
    at += n;
  }
  return blocks;
}

void Mutate(Blocks& blocks, Random& random) {
  for (std::size_t n = random.Below(4); n > 0; --n) {
    std::string& b = blocks[random.Below(blocks.size())];
    if (!b.empty()) b[random.Below(b.size())] = static_cast<char>(random.Pick(kSpecialBytes));
  }
}

// --- The generated cases ----------------------------------------------------------

TEST(KanjiDifferential, RandomBytes) {
  Random random(20261211);
  for (int round = 0; round < 20000; ++round) {
    Blocks blocks(1 + random.Below(6));
    for (std::string& b : blocks) {
      b = random.Pick(kFirstLines);
      for (std::size_t n = random.Below(80); n > 0; --n) {
        unsigned char c = static_cast<unsigned char>(random.Below(256));
        if (c == 0 && !random.OneIn(16)) c = 0x01;  // a NUL now and then, not every 256th byte
        b += static_cast<char>(c);
      }
    }
    ASSERT_TRUE(SameAsLiteralFromAnyModes(blocks, random)) << "round " << round;
  }
}

TEST(KanjiDifferential, SpecialBytes) {
  Random random(4242);
  for (int round = 0; round < 40000; ++round) {
    Blocks blocks(1 + random.Below(6));
    for (std::string& b : blocks) {
      for (std::size_t n = random.Below(40); n > 0; --n) {
        b += random.OneIn(8) ? static_cast<char>(0x21 + random.Below(0x5E))
                             : static_cast<char>(random.Pick(kSpecialBytes));
      }
    }
    ASSERT_TRUE(SameAsLiteralFromAnyModes(blocks, random)) << "round " << round;
  }
}

// Long lines with a shift, an escape or SS2 every few bytes: many removals in
// one block, where the product must not lose track of the next LF.
TEST(KanjiDifferential, DenseShiftsInLongBlocks) {
  const char* const tokens[] = {"\x1B$B",   "\x1B(B", "\x1B(I", "\x1B(J",   "\x0E",     "\x0F",
                                "\x8E\xB1", "\x8E",   "\x9B",   "\xA4\xA2", "\x24\x22", "1",
                                "a",        "\x80",   "\x8A",   "\r",       "\x1B",     "\xB1"};
  Random random(777);
  for (int round = 0; round < 400; ++round) {
    Blocks blocks(1 + random.Below(3));
    for (std::string& b : blocks) {
      b = random.Pick(kFirstLines);
      for (std::size_t n = random.Below(1500); n > 0; --n) {
        b += random.OneIn(200) ? "\n" : random.Pick(tokens);
      }
    }
    ASSERT_TRUE(SameAsLiteralFromAnyModes(blocks, random)) << "round " << round;
  }
}

// Every row and cell in one long run, in both encodings, then runs of pairs,
// SS2 katakana, half-width katakana and ASCII of every length up to well past
// sixteen bytes, so that bulk conversion meets every value and every way a
// run can end inside sixteen bytes.
TEST(KanjiDifferential, EveryPairAndRunLength) {
  std::string jis = "\x1B$B";
  std::string euc = "\xA4\xA2\r\n";
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      jis += {static_cast<char>(j1), static_cast<char>(j2)};
      euc += {static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
    }
  }
  ASSERT_TRUE(SameAsLiteral({jis + "\x1B(B\r\n", euc}, 0, 0));

  struct Run {
    const char* shift;  // what brings the run about
    const char* unit;   // repeated
  };
  const Run jisRuns[] = {
      {"\x1B$B", "\x30\x21"}, {"\x1B(I", "\x31"}, {"\x0E", "\x32"}, {"\x1B(B", "a"}};
  const Run eucRuns[] = {{"", "\xB0\xA1"}, {"", "\x8E\xB1"}, {"", "a"}, {"", "\xA4"}};
  Random random(99);
  for (int round = 0; round < 3000; ++round) {
    const bool inEuc = random.OneIn(2);
    std::string block = inEuc ? "\xA4\xA2\r\n" : "\r\n";
    for (std::size_t runs = 1 + random.Below(6); runs > 0; --runs) {
      const Run run = inEuc ? random.Pick(eucRuns) : random.Pick(jisRuns);
      block += run.shift;
      for (std::size_t n = random.Below(24); n > 0; --n) block += run.unit;
    }
    ASSERT_TRUE(SameAsLiteralFromAnyModes({block}, random)) << "round " << round;
  }
}

// Long runs of well-formed EUC-JP, which the product takes 32 bytes at a
// time where the processor allows, with a few faults dropped in: a unit left
// open or broken at any lane, a shift, a line end (where SS2 cuts the text).
// Units begin at every offset, so some straddle two 32-byte pieces.
TEST(KanjiDifferential, LongWellFormedEucWithFaults) {
  const char* const units[] = {"\xA4\xA2", "\xB0\xA1", "\xFE\xFE", "\xDF\xE0", "\x8E\xB1",
                               "\x8E\xDF", "a",        " ",        "\r"};
  // ("\244a" is 0xA4 then 'a'.)
  const char* const faults[] = {"\xA4", "\244a", "\216a",    "\x8E\xE0", "\x80",    "\xA0",
                                "\xFF", "\x9B",  "\x0E",     "\x0F",     "\x1B(I",  "\x1B$B",
                                "\n",   "\t",    "\xA4\x80", "\xA4\xFF", "\x8E\x8E"};
  Random random(4242);
  for (int round = 0; round < 2000; ++round) {
    std::string block = "\xA4\xA2\r\n";
    for (std::size_t n = random.Below(4); n > 0; --n) block += 'a';
    const std::size_t length = 40 + random.Below(300);
    const std::size_t faultCount = random.Below(3);
    while (block.size() < length) {
      block += random.OneIn(faultCount == 0 ? 1000000 : 60 / faultCount) ? random.Pick(faults)
                                                                         : random.Pick(units);
    }
    Blocks blocks{block};
    if (random.OneIn(3)) blocks.push_back(block.substr(4));  // a block whose first line is long
    ASSERT_TRUE(SameAsLiteralFromAnyModes(blocks, random)) << "round " << round;
  }
}

// Long JIS text of short runs between designations and SO/SI, as the product
// takes it by looking up run ends 32 bytes at a time, with now and then a
// byte that breaks a run: one that pairs with none or would pair across the
// run's end, an 8-bit byte, a broken escape, a line end.
TEST(KanjiDifferential, LongJisOfShortRunsWithFaults) {
  const char* const shifts[] = {"\x1B$B", "\x1B$@", "\x1B(B", "\x1B(J", "\x1B(I", "\x0E", "\x0F"};
  const char* const faults[] = {" ",    "\x7F",  "\t",     "\x30", "\xB0",        "\x80",
                                "\x1B", "\x1B$", "\x1B(Z", "\n",   "\x1B\xA4\xA2"};
  Random random(5150);
  for (int round = 0; round < 2000; ++round) {
    std::string block = random.OneIn(2) ? "\r\n" : "ok\r\n";
    const std::size_t length = 64 + random.Below(400);
    const bool faulty = !random.OneIn(3);
    while (block.size() < length) {
      if (faulty && random.OneIn(25)) {
        block += random.Pick(faults);
        continue;
      }
      block += random.Pick(shifts);
      for (std::size_t n = random.Below(14); n > 0; --n) {
        block += static_cast<char>(0x21 + random.Below(0x5E));
      }
    }
    ASSERT_TRUE(SameAsLiteralFromAnyModes({block}, random)) << "round " << round;
  }
}

TEST(KanjiDifferential, RealTextCutAnywhere) {
  Random random(31337);
  for (int round = 0; round < 1500; ++round) {
    const std::vector<std::string> lines = Utf8Lines(random, 1 + random.Below(12));
    std::string text = Encoded(lines, static_cast<int>(random.Below(4)));
    if (random.OneIn(4)) text += Encoded(Utf8Lines(random, 3), static_cast<int>(random.Below(4)));
    Blocks blocks = RandomCuts(text, random, random.OneIn(2) ? 16 : 600);
    if (random.OneIn(2)) Mutate(blocks, random);
    ASSERT_TRUE(SameAsLiteralFromAnyModes(blocks, random)) << "round " << round;
  }
}

// Line by line, well-formed JIS and EUC-JP come out as iconv's code page 932
// text, and Shift_JIS passes; checked without the literal conversion.
TEST(KanjiDifferential, RealTextLinesConvertLikeIconv) {
  Random random(2718);
  RezUrav::KanjiMode = RezUrav::KanaMode = 0;
  for (const std::string& line : Utf8Lines(random, 300)) {
    const std::string expected = testing_support::Sjis(line);
    for (const char* charset : {"ISO-2022-JP-2", "EUC-JP", "CP932"}) {
      const std::string encoded = Encode(line, charset);
      ASSERT_EQ(Hex(RezUrav::ConvertKanjiCodeText(encoded)), Hex(expected))
          << charset << ": " << Hex(encoded);
      ASSERT_EQ(RezUrav::KanjiMode, 0);
      ASSERT_EQ(RezUrav::KanaMode, 0);
    }
  }
}

}  // namespace
