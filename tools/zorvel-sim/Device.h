// The protocol of a simulated ZORVEL device, one session at a time, without
// any I/O: bytes in, bytes out.
//
// On connect the device sends its greeting, which ends in the prompt ">".
// A command is one line "*PASSWORD#COMMAND" ended by CR (LF also ends it).
// Each answer ends with the prompt again.
#pragma once

#include <string>
#include <string_view>

#include "tools/zorvel-sim/Options.h"

namespace zorvel {

class Device {
 public:
  explicit Device(const Options& options) : FOptions(options) {}

  std::string Greeting() const;
  // Sent to a connection beyond the allowed number of users, before closing it.
  static std::string Refusal();
  // Takes received bytes; returns what the device sends back (possibly
  // nothing, when no line is complete yet).
  std::string Receive(std::string_view bytes);
  // Answer to one complete command line (without its line end).
  std::string Answer(const std::string& line) const;

 private:
  const Options& FOptions;
  std::string FLine;
};

}  // namespace zorvel
