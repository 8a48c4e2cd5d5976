#include "platform/rtl/StrToIntDef.h"

#include <optional>

namespace rtl {
namespace {

int DigitValue(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < base ? value : -1;
}

// The magnitude of a run of one or more digits, up to `limit`; nothing when
// the run is empty, holds another character or goes past the limit.
std::optional<std::uint64_t> Magnitude(std::string_view digits, int base, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > limit) return std::nullopt;  // checked per digit, so no wrap
  }
  return value;
}

}  // namespace

std::int32_t StrToIntDef(std::string_view S, std::int32_t Default) {
  while (!S.empty() && S.front() == ' ') S.remove_prefix(1);
  if (!S.empty() && S.front() == '$') {
    auto value = Magnitude(S.substr(1), 16, 0xFFFFFFFFu);
    if (!value) return Default;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
  }
  bool negative = false;
  if (!S.empty() && (S.front() == '+' || S.front() == '-')) {
    negative = S.front() == '-';
    S.remove_prefix(1);
  }
  auto value = Magnitude(S, 10, negative ? 2147483648u : 2147483647u);
  if (!value) return Default;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*value)
                                            : static_cast<std::int64_t>(*value));
}

}  // namespace rtl
