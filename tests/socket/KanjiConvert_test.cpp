#include "socket/KanjiConvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "socket/RezUrav.h"
#include "tests/support/Sjis.h"

namespace {

using RezUrav::ConvertKanjiCodeText;
using RezUrav::KanjiCodeEuc;
using RezUrav::KanjiCodeJis;
using RezUrav::KanjiCodeSjis;
using testing_support::Hex;

constexpr std::uint8_t On = RezUrav::ModeOn;

// "1B 24 42" -> the three bytes.
std::string Bytes(const char* hex) {
  std::string out;
  for (const char* p = hex; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    char* next = nullptr;
    out.push_back(static_cast<char>(std::strtoul(p, &next, 16)));
    p = next;
  }
  return out;
}

class KanjiConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { SetState(KanjiCodeJis, 0, 0); }
  void TearDown() override { SetState(KanjiCodeJis, 0, 0); }
  static void SetState(std::int32_t code, std::uint8_t kanji, std::uint8_t kana) {
    RezUrav::KanjiCode = code;
    RezUrav::KanjiMode = kanji;
    RezUrav::KanaMode = kana;
  }
};

struct Block {
  const char* in;
  const char* out;
  std::int32_t code;
  std::uint8_t kanjiAfter;
  std::uint8_t kanaAfter;
};

struct Case {
  const char* what;
  std::uint8_t kanjiBefore;
  std::uint8_t kanaBefore;
  std::vector<Block> blocks;  // converted in turn, the state carried between them
};

// clang-format off
const Case kCases[] = {
    // JIS
    {"plain ASCII", 0, 0, {{"4F 4B 0D 0A", "4F 4B 0D 0A", KanjiCodeJis, 0, 0}}},
    {"ESC $ B ... ESC ( B", 0, 0,
     {{"1B 24 42 24 22 1B 28 42 0D 0A", "82 A0 0D 0A", KanjiCodeJis, 0, 0}}},
    {"ESC $ @ ... ESC ( J", 0, 0,
     {{"1B 24 40 30 21 1B 28 4A 0D 0A", "88 9F 0D 0A", KanjiCodeJis, 0, 0}}},
    {"the last row and cell", 0, 0, {{"1B 24 42 7E 7E", "EF FC", KanjiCodeJis, On, 0}}},
    {"two-byte set carried into the next block", 0, 0,
     {{"1B 24 42 24 22", "82 A0", KanjiCodeJis, On, 0},
      {"24 24 0D 0A", "82 A2 0D 0A", KanjiCodeJis, On, 0}}},
    {"two-byte set left on turns ASCII into pairs", On, 0,
     {{"4F 4B 0D 0A", "98 6A 0D 0A", KanjiCodeJis, On, 0}}},
    {"an escape split between blocks is not recognised", 0, 0,
     {{"61 1B 24", "61 1B 24", KanjiCodeJis, 0, 0}, {"42 24 22", "42 24 22", KanjiCodeJis, 0, 0}}},
    {"SO ... SI", 0, 0, {{"0E 31 32 0F 61 62 63", "B1 B2 61 62 63", KanjiCodeJis, 0, 0}}},
    {"SO cuts the text at the next LF", 0, 0,
     {{"0E 31 32 0A 78 79 7A", "B1 B2", KanjiCodeJis, 0, On}}},
    {"ESC ( I ... ESC ( B", 0, 0,
     {{"61 62 1B 28 49 31 32 1B 28 42 63 64", "61 62 B1 B2 63 64", KanjiCodeJis, 0, 0}}},
    {"an unknown escape stays", 0, 0,
     {{"61 62 1B 24 41 30 21", "61 62 1B 24 41 30 21", KanjiCodeJis, 0, 0}}},
    {"a lone ESC at the end stays", 0, 0, {{"61 62 63 1B", "61 62 63 1B", KanjiCodeJis, 0, 0}}},
    {"removed escapes keep the later lines", 0, 0,
     {{"1B 24 42 24 22 0D 0A 24 24 1B 28 42 0D 0A 61 62 63",
       "82 A0 0D 0A 82 A2 0D 0A 61 62 63", KanjiCodeJis, 0, 0}}},
    {"0x80 ends the result, the walk goes on to the SO", 0, 0,
     {{"61 0D 0A 80 0E 31", "61 0D 0A", KanjiCodeJis, 0, On}}},
    {"0x8E acts as SO, cutting at LF", 0, 0,
     {{"61 62 0D 0A 63 8E B1 64 0A 65 66", "61 62 0D 0A 63 B1 64", KanjiCodeJis, 0, On}}},
    {"0x9B acts as ESC, its bytes lose bit 7", 0, 0,
     {{"0D 0A 9B A4 C2 30 21 9B 28 42 61", "0D 0A 88 9F 61", KanjiCodeJis, 0, 0}}},
    {"an unknown 0x9B escape stays as ESC without bit 7", 0, 0,
     {{"0D 0A 9B A4 C1", "0D 0A 1B 24 41", KanjiCodeJis, 0, 0}}},
    {"the second byte of a pair keeps bit 7", 0, 0,
     {{"0D 0A 1B 24 42 30 A1", "0D 0A 89 62", KanjiCodeJis, On, 0}}},
    {"a byte outside 0x21-0x7E in the two-byte set", On, 0,
     {{"0D 0A 20 30 21", "0D 0A 20 88 9F", KanjiCodeJis, On, 0}}},
    {"an ESC's second byte turned LF is where a later SO cuts", 0, 0,
     {{"0D 0A 1B 8E 8A 61", "0D 0A 1B", KanjiCodeJis, 0, On}}},
    {"without the ESC the same bytes survive the SO", 0, 0,
     {{"0D 0A 8E 8A 61", "0D 0A 0A 61", KanjiCodeJis, 0, On}}},
    {"an ESC's 0x80 turned NUL ends the walk; the SO behind is never met", 0, 0,
     {{"0D 0A 1B 24 42 1B A4 80 0E 31", "0D 0A 1B 24", KanjiCodeJis, On, 0}}},
    {"katakana designation carried into the next block", 0, 0,
     {{"1B 28 49 31", "B1", KanjiCodeJis, 0, On}, {"32 61", "B2 61", KanjiCodeJis, 0, On}}},
    // Lone first byte of a pair: kept as it is, its partner never looked for.
    {"a first byte at the end of a JIS block", 0, 0,
     {{"1B 24 42 24 22 24", "82 A0 24", KanjiCodeJis, On, 0}}},
    {"a first byte before the NUL an escape removal wrote", 0, 0,
     {{"1B 24 42 30", "30", KanjiCodeJis, On, 0}}},
    {"a first byte that lost bit 7, at the end", 0, 0,
     {{"0D 0A 1B 24 42 B0", "0D 0A 30", KanjiCodeJis, On, 0}}},
    {"a first byte before a SO-cut line end", 0, 0,
     {{"0D 0A 1B 24 42 0E 1B 24 42 30 0A 61", "0D 0A 30", KanjiCodeJis, On, 0}}},
    {"a first byte at the end of an EUC-JP block", 0, 0,
     {{"A4 A2 0D 0A A4", "82 A0 0D 0A A4", KanjiCodeEuc, 0, 0}}},
    {"a first byte before the NUL an SO cut wrote in EUC-JP", 0, 0,
     {{"A4 A2 0D 0A 0E 0F A4 0A 61", "82 A0 0D 0A A4", KanjiCodeEuc, 0, 0}}},
    // EUC-JP
    {"EUC-JP pairs", 0, 0,
     {{"A4 A2 A4 A4 0D 0A 61 62 63", "82 A0 82 A2 0D 0A 61 62 63", KanjiCodeEuc, 0, 0}}},
    {"SS2 katakana", 0, 0, {{"A4 A2 8E B1 A4 A4", "82 A0 B1 82 A2", KanjiCodeEuc, 0, 0}}},
    {"SS2 cuts the text behind the next LF", 0, 0,
     {{"A4 A2 8E B1 A4 A4 0D 0A 61 62 63", "82 A0 B1 82 A2 0D 0A", KanjiCodeEuc, 0, 0}}},
    {"ESC ( I and ESC ( J in EUC-JP cut at the next LF", 0, 0,
     {{"A4 A2 1B 28 49 31 1B 28 4A A4 A2 0A 61 62 63", "82 A0 B1 82 A0", KanjiCodeEuc, 0, 0}}},
    {"0xA0 and 0xFF lose bit 7", 0, 0,
     {{"A4 A2 A0 FF A4 A2", "82 A0 20 7F 82 A0", KanjiCodeEuc, 0, 0}}},
    {"0x80 ends the EUC-JP result", 0, 0,
     {{"A4 A2 0D 0A 78 80 79 7A", "82 A0 0D 0A 78", KanjiCodeEuc, 0, 0}}},
    {"a pair takes the LF behind its first byte", 0, 0,
     {{"A4 A2 0D 0A A4 0A 61", "82 A0 0D 0A 82 88 61", KanjiCodeEuc, 0, 0}}},
    {"negative arithmetic truncates toward zero", 0, 0,
     {{"A4 A2 0D 0A A1 0D 61", "82 A0 0D 0A 81 2C 61", KanjiCodeEuc, 0, 0}}},
    {"0x8E without katakana behind becomes SO", 0, 0,
     {{"8E 40 0D 0A", "0E 40 0D 0A", KanjiCodeEuc, 0, 0}}},
    {"EUC-JP under katakana: 0x21-0x5F gain bit 7, nothing pairs, 0x80 stays", 0, 0,
     {{"A4 A2 0D 0A 0E 80 31 A4 A2", "82 A0 0D 0A 80 B1 A4 A2", KanjiCodeEuc, 0, On}}},
    {"EUC-JP leaves the two-byte set alone", On, 0,
     {{"A4 A2", "82 A0", KanjiCodeEuc, On, 0}}},
    {"katakana mode carried from JIS into EUC-JP and ended by SI", 0, 0,
     {{"0E 31", "B1", KanjiCodeJis, 0, On},
      {"A4 A2 31", "A4 A2 B1", KanjiCodeEuc, 0, On},
      {"A4 A2 0F A4 A2", "A4 A2 82 A0", KanjiCodeEuc, 0, 0}}},
    // Shift_JIS and detection
    {"Shift_JIS passes", On, On, {{"82 A0 82 A2 0D 0A", "82 A0 82 A2 0D 0A", KanjiCodeSjis, On, On}}},
    {"two half-width katakana read as EUC-JP", 0, 0,
     {{"B1 B2 0D 0A", "89 51 0D 0A", KanjiCodeEuc, 0, 0}}},
    {"three half-width katakana: an odd byte makes Shift_JIS", 0, 0,
     {{"B1 B2 B3 0D 0A", "B1 B2 B3 0D 0A", KanjiCodeSjis, 0, 0}}},
    {"0x8E followed by 0xA0 makes Shift_JIS", 0, 0,
     {{"8E A0 B1 0D 0A", "8E A0 B1 0D 0A", KanjiCodeSjis, 0, 0}}},
    {"a 7-bit first line makes the block JIS", 0, 0,
     {{"4F 4B 0D 0A 82 A0 82 A2 0D 0A", "4F 4B 0D 0A 02 20 02 22 0D 0A", KanjiCodeJis, 0, 0}}},
    {"an empty first line makes the block JIS", 0, 0,
     {{"0D 0A 82 A0 0D 0A", "0D 0A 02 20 0D 0A", KanjiCodeJis, 0, 0}}},
    {"detection stops at ^Z", 0, 0, {{"61 62 1A 82 A0", "61 62 1A 02 20", KanjiCodeJis, 0, 0}}},
};
// clang-format on

TEST_F(KanjiConvertTest, EdgeCases) {
  for (const Case& c : kCases) {
    SetState(KanjiCodeJis, c.kanjiBefore, c.kanaBefore);
    for (std::size_t i = 0; i < c.blocks.size(); ++i) {
      const Block& b = c.blocks[i];
      SCOPED_TRACE(std::string(c.what) + ", block " + std::to_string(i + 1) + ": " + b.in);
      EXPECT_EQ(Hex(ConvertKanjiCodeText(Bytes(b.in))), Hex(Bytes(b.out)));
      EXPECT_EQ(RezUrav::KanjiCode, b.code);
      EXPECT_EQ(RezUrav::KanjiMode, b.kanjiAfter);
      EXPECT_EQ(RezUrav::KanaMode, b.kanaAfter);
    }
  }
}

struct DetectCase {
  const char* in;
  std::int32_t code;
};

TEST_F(KanjiConvertTest, DetectionReadsTheFirstLineOnly) {
  const DetectCase cases[] = {
      {"", KanjiCodeJis},
      {"0A A4 A2", KanjiCodeJis},
      {"61 62 63", KanjiCodeJis},
      {"A4 A2 0D 82 A0", KanjiCodeEuc},
      {"A4 A2 00 82", KanjiCodeEuc},
      {"A4 41 A2 0D", KanjiCodeSjis},  // the pair walk leaves 0xA2 alone
      {"A4 8E", KanjiCodeEuc},         // SS2 as a second byte, nothing behind it
      {"8E B1 A4 A2", KanjiCodeEuc},
      {"8E B1 8E E0 A1 A1", KanjiCodeSjis},  // the last SS2 is not followed by katakana
      {"8E 41 A4 A2", KanjiCodeEuc},         // the next 8-bit byte after SS2 is katakana range
      {"61 62 63 64 65 66 67 68 69 6A A4 A2", KanjiCodeEuc},
      {"61 62 63 64 65 66 67 68 69 6A A4 A2 A4", KanjiCodeSjis},
      {"A4 A2 9F A4", KanjiCodeSjis},
  };
  for (const DetectCase& c : cases) {
    RezUrav::KanjiCode = 7;
    RezUrav::DetectKanjiCode(Bytes(c.in));
    EXPECT_EQ(RezUrav::KanjiCode, c.code) << c.in;
  }
}

TEST_F(KanjiConvertTest, EmptyBlockChangesNothing) {
  SetState(KanjiCodeSjis, On, On);
  EXPECT_EQ(ConvertKanjiCodeText(""), "");
  EXPECT_EQ(RezUrav::KanjiCode, KanjiCodeSjis);
  EXPECT_EQ(RezUrav::KanjiMode, On);
  EXPECT_EQ(RezUrav::KanaMode, On);
}

TEST_F(KanjiConvertTest, NothingBehindANulPlaysAPart) {
  SetState(KanjiCodeSjis, 0, 0);
  EXPECT_EQ(Hex(ConvertKanjiCodeText(Bytes("61 00 0E 31"))), "61");
  EXPECT_EQ(RezUrav::KanaMode, 0);
  EXPECT_EQ(ConvertKanjiCodeText(std::string(1, '\0') + "\x82\xA0"), "");
  EXPECT_EQ(RezUrav::KanjiCode, KanjiCodeJis) << "a block of a NUL is not empty";
}

// The state is the unit's: one component's JIS block shifts the next block
// that another component converts.
TEST_F(KanjiConvertTest, ComponentsShareTheStateAndKeepTheirArgument) {
  RezUrav::VOduRude first(nullptr);
  RezUrav::VOduRude second(nullptr);
  const std::string jis = Bytes("1B 24 42 24 22");
  EXPECT_EQ(Hex(first.ConvertKanjiCode(jis)), "82 A0");
  EXPECT_EQ(Hex(jis), "1B 24 42 24 22");
  EXPECT_EQ(Hex(second.ConvertKanjiCode(Bytes("24 24"))), "82 A2");
}

}  // namespace
