// zorvel-sim: a simulated ZORVEL device on a Telnet-like TCP port, for demos,
// manual tests and scripts that drive vardex without real hardware.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/zorvel-sim/Options.h"
#include "tools/zorvel-sim/Server.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(zorvel::UsageText().c_str(), stdout);
      return 0;
    }
  }
  std::string error;
  auto options = zorvel::ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "zorvel-sim: %s\n%s", error.c_str(), zorvel::UsageText().c_str());
    return 2;
  }
  return zorvel::Serve(*options);
}
