#include "platform/vcl/Format.h"

#include <cstdio>
#include <vector>

#include "platform/vcl/Exception.h"

namespace vcl {
namespace {

struct Directive {
  bool leftAlign = false;
  int width = -1;
  int precision = -1;
  char type = 0;
};

[[noreturn]] void Invalid(std::string_view format) {
  throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

// Reads a directive after '%'; returns the position behind it.
std::size_t ParseDirective(std::string_view format, std::size_t pos, Directive& d) {
  auto number = [&](int& out) {
    if (pos >= format.size() || format[pos] < '0' || format[pos] > '9') return;
    out = 0;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
      out = out * 10 + (format[pos] - '0');
      if (out > 4096) Invalid(format);
      ++pos;
    }
  };
  if (pos < format.size() && format[pos] == '-') {
    d.leftAlign = true;
    ++pos;
  }
  number(d.width);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    d.precision = 0;
    number(d.precision);
  }
  if (pos >= format.size()) Invalid(format);
  d.type = format[pos];
  return pos + 1;
}

std::string Integer(const Directive& d, std::int64_t value, std::string_view format) {
  std::uint64_t magnitude;
  bool negative = false;
  char digits[32];
  switch (d.type) {
    case 'd':
      negative = value < 0;
      magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
      std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(magnitude));
      break;
    case 'u':
      std::snprintf(digits, sizeof digits, "%llu",
                    static_cast<unsigned long long>(static_cast<std::uint32_t>(value)));
      break;
    case 'x':
      std::snprintf(digits, sizeof digits, "%llX",
                    static_cast<unsigned long long>(static_cast<std::uint32_t>(value)));
      break;
    default:
      Invalid(format);
  }
  std::string text = digits;
  if (d.precision > static_cast<int>(text.size()))
    text.insert(0, static_cast<std::size_t>(d.precision) - text.size(), '0');
  return negative ? "-" + text : text;
}

std::string Convert(const Directive& d, const FormatArg& arg, std::string_view format) {
  const auto& value = arg.Value();
  if (d.type == 's') {
    auto text = std::get_if<std::string_view>(&value);
    if (!text) Invalid(format);
    return std::string(d.precision >= 0 ? text->substr(0, d.precision) : *text);
  }
  if (d.type == 'p') {
    auto pointer = std::get_if<const void*>(&value);
    if (!pointer) Invalid(format);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(*pointer)));
    return digits;
  }
  auto number = std::get_if<std::int64_t>(&value);
  if (!number) Invalid(format);
  return Integer(d, *number, format);
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  std::size_t pos = 0;
  while (pos < format.size()) {
    char c = format[pos++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    Directive d;
    pos = ParseDirective(format, pos, d);
    if (next == args.end()) Invalid(format);
    std::string field = Convert(d, *next++, format);
    if (d.width > static_cast<int>(field.size())) {
      std::string pad(static_cast<std::size_t>(d.width) - field.size(), ' ');
      field = d.leftAlign ? field + pad : pad + field;
    }
    out += field;
  }
  return out;
}

}  // namespace vcl
