// A scripted device for end-to-end runs of vardex: it listens on 127.0.0.1,
// accepts one connection and runs the test's script on it in a thread of its
// own, so block boundaries and timings are the test's.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/LoopbackPeer.h"

namespace e2e {

class FakeDevice {
 public:
  // The script gets the connected descriptor; it may send, read and close.
  using Script = std::function<void(testing_support::Fd& connection)>;

  explicit FakeDevice(Script script);
  ~FakeDevice();  // waits for the script
  FakeDevice(const FakeDevice&) = delete;
  FakeDevice& operator=(const FakeDevice&) = delete;

  std::string Port() const { return std::to_string(FListener.Port()); }
  bool Accepted() const { return FAccepted; }

 private:
  testing_support::LoopbackListener FListener;
  std::atomic<bool> FAccepted{false};
  std::thread FThread;
};

// Reads until a CR came (the command's end) or `timeoutMs` passed.
std::string ReadCommand(int fd, int timeoutMs = 6000);
// Waits `ms` milliseconds: a device's own pause between blocks.
void Pause(int ms);

}  // namespace e2e
