// String formatting in the manner of the framework's Format: directives
// %[-][width][.precision](d|u|x|s|p) and %%. Arguments are taken in order; one
// that does not fit its directive raises EConvertError.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace vcl {

class FormatArg {
 public:
  FormatArg(int value) : FValue(std::int64_t{value}) {}
  FormatArg(long value) : FValue(std::int64_t{value}) {}
  FormatArg(long long value) : FValue(std::int64_t{value}) {}
  FormatArg(unsigned value) : FValue(std::int64_t{value}) {}
  FormatArg(std::string_view value) : FValue(value) {}
  FormatArg(const std::string& value) : FValue(std::string_view(value)) {}
  FormatArg(const char* value) : FValue(std::string_view(value)) {}
  FormatArg(const void* value) : FValue(value) {}

  const std::variant<std::int64_t, std::string_view, const void*>& Value() const {
    return FValue;
  }

 private:
  std::variant<std::int64_t, std::string_view, const void*> FValue;
};

std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace vcl
