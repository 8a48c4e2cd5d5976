#include "platform/rtl/ParamStr.h"

#include <vector>

namespace rtl {
namespace {

std::vector<std::string>& Words() {
  static std::vector<std::string> words;
  return words;
}

}  // namespace

void SetArguments(int argc, const char* const* argv) {
  std::vector<std::string>& words = Words();
  words.clear();
  // The program's name stays word 0 even when it is empty.
  words.emplace_back(argc > 0 && argv[0] != nullptr ? argv[0] : "");
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') words.emplace_back(argv[i]);
  }
}

std::string ParamStr(int index) {
  const std::vector<std::string>& words = Words();
  if (index < 0 || static_cast<std::size_t>(index) >= words.size()) return {};
  return words[static_cast<std::size_t>(index)];
}

int ParamCount() {
  const std::vector<std::string>& words = Words();
  return words.empty() ? 0 : static_cast<int>(words.size()) - 1;
}

}  // namespace rtl
