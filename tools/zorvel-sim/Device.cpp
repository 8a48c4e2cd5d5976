#include "tools/zorvel-sim/Device.h"

#include <cctype>

#include "tools/zorvel-sim/Encoding.h"

namespace zorvel {
namespace {

constexpr const char* kPrompt = ">";

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!std::isdigit(c)) return false;
  return true;
}

}  // namespace

std::string Device::Greeting() const { return FOptions.silent ? "" : FOptions.greeting; }

std::string Device::Refusal() { return "503 Too many users.\r\n"; }

std::string Device::Receive(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      if (FLine.empty()) continue;  // the LF of a CR LF, or an empty line
      if (FOptions.echo) out += FLine + "\r\n";
      out += Answer(FLine);
      FLine.clear();
    } else if (FLine.size() < 4096) {
      FLine += c;
    }
  }
  return out;
}

std::string Device::Answer(const std::string& line) const {
  auto hash = line.find('#');
  if (line.empty() || line[0] != '*' || hash == std::string::npos)
    return "Syntax Error\r\n" + std::string(kPrompt);
  std::string password = line.substr(1, hash - 1);
  std::string command = line.substr(hash + 1);
  if (password != FOptions.password) return "Password Error\r\n" + std::string(kPrompt);
  if (command.rfind("POR", 0) == 0 && AllDigits(command.substr(3)))
    return command + " OK\r\n" + kPrompt;
  if (command == "STS")
    return Encode("状態: 正常 ｵﾝﾗｲﾝ\r\n", FOptions.encoding) + kPrompt;
  if (command == "VER") return "ZORVEL-100 Ver 2.01\r\n" + std::string(kPrompt);
  return "Command Error\r\n" + std::string(kPrompt);
}

}  // namespace zorvel
