// State of the thread's blocking call, shared by the calls that block.
// Internal to the stand-in layer.
#pragma once

namespace winsock::detail {

// Marks a blocking call in progress for its lifetime; nested blocking calls
// are refused by Windows Sockets 1.1 with WSAEINPROGRESS.
class BlockingScope {
 public:
  BlockingScope();
  ~BlockingScope();
  BlockingScope(const BlockingScope&) = delete;
  BlockingScope& operator=(const BlockingScope&) = delete;

  bool Refused() const { return FRefused; }
  // True once WSACancelBlockingCall was called during this call.
  bool Cancelled() const;

 private:
  bool FRefused;
};

}  // namespace winsock::detail
