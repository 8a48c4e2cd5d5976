#include "tests/support/LiteralKanjiConvert.h"

#include <cstring>
#include <vector>

namespace testing_support {
namespace {

using Byte = unsigned char;

// Moves the bytes at from.. forward by `by` places up to (not including) the
// first byte in `stops` or the NUL, and writes a NUL behind them.
void MoveForwardUpTo(Byte* s, std::size_t from, std::size_t by, const char* stops) {
  const std::size_t n = std::strcspn(reinterpret_cast<char*>(s + from), stops);
  std::memmove(s + from - by, s + from, n);
  s[from - by + n] = 0;
}

// Removing bytes at p, cutting at LF: the LF and all behind it leave the text.
void RemoveCuttingAtLf(Byte* s, std::size_t p, std::size_t count) {
  MoveForwardUpTo(s, p + count, count, "\n");
}

// Removing an escape sequence in JIS: everything up to the NUL moves.
void RemoveUpToNul(Byte* s, std::size_t p, std::size_t count) {
  MoveForwardUpTo(s, p + count, count, "");
}

// Removing SS2: the bytes behind it move up to and including the next LF.
void RemoveSs2(Byte* s, std::size_t p) {
  const std::size_t n = std::strcspn(reinterpret_cast<char*>(s + p + 1), "\n");
  const std::size_t moved = s[p + 1 + n] == '\n' ? n + 1 : n;
  std::memmove(s + p, s + p + 1, moved);
  s[p + moved] = 0;
}

void TwoByte(Byte* s, std::size_t p, int j1, int j2) {
  int t = (j1 - 0x21) * 94 + (j2 - 0x21);
  int lead = t / 188 + 0x81;
  if (lead > 0x9F) lead += 0x40;
  int trail = t % 188 + 0x40;
  if (trail > 0x7E) trail += 1;
  s[p] = static_cast<Byte>(lead & 0xFF);
  s[p + 1] = static_cast<Byte>(trail & 0xFF);
}

}  // namespace

void LiteralKanjiConvert::DetectKanjiCode(std::string_view text) {
  std::size_t lineLength = 0;
  while (lineLength < text.size()) {
    const Byte b = static_cast<Byte>(text[lineLength]);
    if (b == 0x00 || b == 0x1A || b == 0x0D || b == 0x0A) break;
    ++lineLength;
  }
  const std::string_view line = text.substr(0, lineLength);

  KanjiCode = 0;
  int ss2State = 0;
  bool ss2Flag = false;
  for (char c : line) {
    const Byte b = static_cast<Byte>(c);
    if (b < 0x80) continue;
    if (ss2State != 2) ss2State = (ss2State == 1 && b >= 0xA1 && b <= 0xDF) ? 2 : 0;
    if (b == 0x8E) {
      ss2State = 1;
      ss2Flag = true;
    }
    if (KanjiCode == 0) KanjiCode = 1;
    if (b < 0xA0 && b != 0x8E) KanjiCode = 2;
  }
  if (KanjiCode == 1) {
    std::size_t i = 0;
    while (i < line.size()) {
      if (static_cast<Byte>(line[i]) >= 0x80) {
        if (i + 1 < line.size()) {
          i += 2;
        } else {
          KanjiCode = 2;
          break;
        }
      } else {
        i += 1;
      }
    }
  }
  if (KanjiCode == 1 && ss2Flag && ss2State == 0) KanjiCode = 2;
}

int LiteralKanjiConvert::JisToSjis(Byte* s, std::size_t p) {
  s[p] &= 0x7F;
  if (s[p] == 0x0E || s[p] == 0x0F) {
    KanaMode = s[p] == 0x0E ? 0x80 : 0;
    KanjiMode = 0;
    RemoveCuttingAtLf(s, p, 1);
    return 0;
  }
  if (s[p] == 0x1B) {
    if (s[p + 1] != 0) {
      s[p + 1] &= 0x7F;
      if (s[p + 1] != 0 && s[p + 2] != 0) s[p + 2] &= 0x7F;
    }
    struct Designation {
      Byte b1, b2, kanji, kana;
    };
    static const Designation table[] = {
        {0x24, 0x40, 0x80, 0}, {0x24, 0x42, 0x80, 0}, {0x28, 0x42, 0, 0},
        {0x28, 0x48, 0, 0},    {0x28, 0x4A, 0, 0},    {0x28, 0x49, 0, 0x80},
    };
    if (s[p + 1] != 0) {
      for (const Designation& d : table) {
        if (s[p + 1] == d.b1 && s[p + 2] == d.b2) {
          KanjiMode = d.kanji;
          KanaMode = d.kana;
          RemoveUpToNul(s, p, 3);
          return 0;
        }
      }
    }
  }
  if (KanjiMode == 0) {
    if (KanaMode == 0x80 && s[p] >= 0x21 && s[p] <= 0x5F) s[p] |= 0x80;
    return 1;
  }
  if (s[p] < 0x21 || s[p] > 0x7E) return 1;
  if (s[p + 1] == 0) return 1;  // a first byte without its second: left as it is
  TwoByte(s, p, s[p], s[p + 1]);
  return 2;
}

int LiteralKanjiConvert::EucToSjis(Byte* s, std::size_t p) {
  if (s[p] == 0x1B && s[p + 1] == 0x28 && (s[p + 2] == 0x49 || s[p + 2] == 0x4A)) {
    KanaMode = s[p + 2] == 0x49 ? 0x80 : 0;
    RemoveCuttingAtLf(s, p, 3);
    return 0;
  }
  if (s[p] == 0x0E || s[p] == 0x0F) {
    KanaMode = s[p] == 0x0E ? 0x80 : 0;
    RemoveCuttingAtLf(s, p, 1);
    return 0;
  }
  if (KanaMode == 0x80) {
    if (s[p] >= 0x21 && s[p] <= 0x5F) s[p] |= 0x80;
    return 1;
  }
  if (s[p] == 0x8E && s[p + 1] >= 0xA1 && s[p + 1] <= 0xDF) {
    RemoveSs2(s, p);
    return 1;
  }
  if (s[p] < 0xA1 || s[p] > 0xFE) {
    s[p] &= 0x7F;
    return 1;
  }
  if (s[p + 1] == 0) return 1;  // a first byte without its second: left as it is
  TwoByte(s, p, s[p] & 0x7F, s[p + 1] & 0x7F);
  return 2;
}

std::string LiteralKanjiConvert::ConvertKanjiCode(std::string_view text) {
  if (text.empty()) return std::string();
  KanjiCode = 0;
  DetectKanjiCode(text);

  std::vector<Byte> work(text.begin(), text.end());
  work.push_back(0);
  Byte* s = work.data();

  if (KanjiCode == 0 || KanjiCode == 1) {
    std::size_t p = 0;
    while (s[p] != 0) p += KanjiCode == 0 ? JisToSjis(s, p) : EucToSjis(s, p);
  }
  return std::string(reinterpret_cast<char*>(s));
}

}  // namespace testing_support
