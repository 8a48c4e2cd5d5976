// Command-line options of zorvel-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zorvel {

enum class Encoding { ShiftJis, EucJp, Jis };

struct Options {
  std::string bindAddress = "127.0.0.1";
  int port = 2323;                  // 0: any free port
  std::string portFile;             // where the chosen port is written
  std::string password = "password";
  Encoding encoding = Encoding::ShiftJis;
  int maxUsers = 1;                 // further connections are refused with a text
  std::string greeting = "ZORVEL-100 Ver 2.01\r\n>";
  bool silent = false;              // never greet (the client times out)
  bool echo = false;                // echo the command line like a terminal
  bool closeAfterAnswer = false;
  int answerDelayMs = 0;
  bool once = false;                // exit when the first session ends
};

// Parses argv; on a bad option returns nullopt and sets `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
std::string UsageText();

}  // namespace zorvel
