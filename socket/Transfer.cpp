// VOduRude: sending and receiving.
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/vcl/TApplication.h"
#include "platform/win/Event.h"
#include "platform/winsock/Winsock.h"
#include "socket/RezUrav.h"
#include "socket/SocketTexts.h"

namespace RezUrav {
namespace {

constexpr win::DWORD kWaitPeriodMs = 100;

// FSending is true exactly while the send call runs, also if a handler that
// the call dispatched raises.
class SendingFlag {
 public:
  explicit SendingFlag(bool& flag) : FFlag(flag) { FFlag = true; }
  ~SendingFlag() { FFlag = false; }
  SendingFlag(const SendingFlag&) = delete;
  SendingFlag& operator=(const SendingFlag&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

std::int32_t VOduRude::SendBuffer(std::int32_t Socket, const void* Buffer, std::int32_t Count) {
  FTickCount = 0;
  int n;
  {
    SendingFlag sending(FSending);
    n = winsock::send(Socket, static_cast<const char*>(Buffer), Count, 0);
  }
  if (n == winsock::SOCKET_ERROR) RaiseLastError(std::string(texts::kSendErrorPrefix));
  return n;
}

std::int32_t VOduRude::SendString(std::int32_t Socket, std::string Text) {
  auto length = static_cast<std::int32_t>(Text.size());
  auto copy = std::make_unique<char[]>(Text.size() + 1);
  std::memcpy(copy.get(), Text.data(), Text.size());
  copy[Text.size()] = '\0';
  return SendBuffer(Socket, copy.get(), length);
}

bool VOduRude::WaitForReceiveSignal() {
  // TimeOut + 1 periods; messages are handled after each one that ends unsignalled.
  for (std::int64_t period = 0; period <= TimeOut; ++period) {
    if (win::WaitForSingleObject(FReceiveEvent, kWaitPeriodMs) == win::WAIT_OBJECT_0) return true;
    vcl::Application->ProcessMessages();
  }
  return false;
}

std::int32_t VOduRude::ReceiveBuffer(std::int32_t Socket, void* Buffer, std::int32_t Count) {
  char* bytes = static_cast<char*>(Buffer);
  int n = winsock::recv(Socket, bytes, Count, 0);
  if (n == winsock::SOCKET_ERROR) {
    ErrorNumber = winsock::WSAGetLastError();
    if (ErrorNumber == winsock::WSAEWOULDBLOCK) {
      win::ResetEvent(FReceiveEvent);
      if (TimeOut >= 0) {
        if (WaitForReceiveSignal()) {
          n = winsock::recv(Socket, bytes, Count, 0);
          if (n == winsock::SOCKET_ERROR) ErrorNumber = winsock::WSAGetLastError();
        } else {
          ErrorNumber = winsock::WSAETIMEDOUT;
        }
      }
    }
  }
  if (n == winsock::SOCKET_ERROR) Raise(std::string(texts::kReceiveErrorPrefix));
  return n;
}

std::int32_t VOduRude::ReceiveString(std::int32_t Socket, std::string& Text,
                                     std::int32_t Count) {
  // Room for a terminating NUL behind the most that may arrive.
  std::size_t room = static_cast<std::size_t>(Count > 0 ? Count : 0) + 1;
  auto buffer = std::make_unique<char[]>(room);
  std::int32_t n = ReceiveBuffer(Socket, buffer.get(), Count);
  buffer[static_cast<std::size_t>(n)] = '\0';
  // The text ends before the first NUL; n still counts the bytes behind it.
  Text = ConvertKanjiCode(std::string(buffer.get()));
  return n;
}

}  // namespace RezUrav
