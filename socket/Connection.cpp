// VOduRude: opening, closing, notifications and the send watchdog.
#include "platform/vcl/TApplication.h"
#include "platform/win/Event.h"
#include "platform/winsock/Winsock.h"
#include "socket/RezUrav.h"
#include "socket/SocketTexts.h"

namespace RezUrav {
namespace {

constexpr int kListenBacklog = 5;
constexpr long kServerEvents = winsock::FD_READ | winsock::FD_ACCEPT | winsock::FD_CLOSE;
constexpr long kConnectedEvents = winsock::FD_READ | winsock::FD_CLOSE;

winsock::sockaddr_in Address(winsock::u_long address, std::int32_t port) {
  winsock::sockaddr_in a;
  a.sin_family = winsock::AF_INET;
  // Only the low 16 bits of the port reach Windows Sockets.
  a.sin_port = winsock::htons(static_cast<winsock::u_short>(port & 0xFFFF));
  a.sin_addr.s_addr = address;
  return a;
}

const winsock::sockaddr* AsSockaddr(const winsock::sockaddr_in& a) {
  return reinterpret_cast<const winsock::sockaddr*>(&a);
}

}  // namespace

void VOduRude::Raise(const std::string& prefix) { throw ECommError(prefix + ErrorMessage()); }

void VOduRude::RaiseLastError(const std::string& prefix) {
  ErrorNumber = winsock::WSAGetLastError();
  Raise(prefix);
}

void VOduRude::CloseAndRaise(const std::string& prefix) {
  CloseSocket(FSocket);
  Raise(prefix);
}

int VOduRude::Select(winsock::SOCKET s, long events) {
  return winsock::WSAAsyncSelect(s, FWindowHandle, WM_SOCKETNOTIFY, events);
}

std::int32_t VOduRude::Open(bool Share) {
  ErrorNumber = 0;
  if (Share && FSocket != winsock::INVALID_SOCKET) {
    ++FShareCount;
    return FSocket;
  }
  FSocket = winsock::socket(winsock::AF_INET, winsock::SOCK_STREAM, 0);
  if (FSocket == winsock::INVALID_SOCKET) RaiseLastError(std::string(texts::kNoSocketPrefix));

  auto local = Address(winsock::INADDR_ANY, ServerMode ? TargetPort : 0);
  if (winsock::bind(FSocket, AsSockaddr(local), sizeof local) == winsock::SOCKET_ERROR) {
    ErrorNumber = winsock::WSAGetLastError();
    CloseAndRaise(std::string(texts::kBindErrorPrefix));
  }
  winsock::sockaddr_in bound;
  int length = sizeof bound;
  SelfPort = winsock::getsockname(FSocket, reinterpret_cast<winsock::sockaddr*>(&bound),
                                  &length) == 0
                 ? winsock::ntohs(bound.sin_port)
                 : 0;

  if (ServerMode) {
    if (winsock::listen(FSocket, kListenBacklog) == winsock::SOCKET_ERROR) {
      ErrorNumber = winsock::WSAGetLastError();
      CloseAndRaise(std::string(texts::kConnectErrorPrefix));
    }
    Select(FSocket, kServerEvents);
  } else {
    auto target = Address(winsock::inet_addr(TargetIPAddress.c_str()), TargetPort);
    if (onConnect) Select(FSocket, winsock::FD_CONNECT);
    if (winsock::connect(FSocket, AsSockaddr(target), sizeof target) == winsock::SOCKET_ERROR) {
      ErrorNumber = winsock::WSAGetLastError();
      // Would block: the attempt goes on and FD_CONNECT tells how it ended.
      if (ErrorNumber != winsock::WSAEWOULDBLOCK)
        CloseAndRaise(std::string(texts::kConnectErrorPrefix) + TargetIPAddress);
    }
    if (!onConnect) Select(FSocket, kConnectedEvents);
  }
  if (FTimer) FTimer->SetEnabled(true);
  FActive = true;
  return FSocket;
}

void VOduRude::CloseSocket(std::int32_t S) {
  if (FTimer) FTimer->SetEnabled(false);
  winsock::WSAAsyncSelect(S, FWindowHandle, 0, 0);
  winsock::closesocket(S);
  if (ServerMode && FSocket != S) winsock::closesocket(FSocket);
  FActive = false;
  FSocket = winsock::INVALID_SOCKET;
}

void VOduRude::WndProc(win::TMessage& Message) {
  if (Message.Msg != WM_SOCKETNOTIFY) return;
  // Failed connects and resets raise no event: callers run their own timers.
  if (win::HIWORD(Message.LParam) != 0) return;
  auto s = static_cast<std::int32_t>(Message.WParam);
  switch (win::LOWORD(Message.LParam)) {
    case winsock::FD_READ:
      DoReceive(s);
      break;
    case winsock::FD_ACCEPT:
      DoAccept();
      break;
    case winsock::FD_CONNECT:
      DoConnect(s);
      break;
    case winsock::FD_CLOSE:
      DoClose(s);
      break;
    default:
      break;
  }
}

void VOduRude::DoReceive(std::int32_t S) {
  try {
    if (onReceive)
      onReceive(this, S);
    else
      win::SetEvent(FReceiveEvent);
  } catch (...) {
    vcl::Application->HandleException(this);
  }
}

void VOduRude::DoAccept() {
  try {
    winsock::sockaddr_in peer;  // stays 0.0.0.0 when accept fails
    int length = sizeof peer;
    winsock::SOCKET s = winsock::accept(FSocket, reinterpret_cast<winsock::sockaddr*>(&peer),
                                        &length);
    std::string IPAddress = winsock::inet_ntoa(peer.sin_addr);
    if (onAccept) onAccept(this, s, IPAddress);
  } catch (...) {
    vcl::Application->HandleException(this);
  }
}

void VOduRude::DoConnect(std::int32_t S) {
  try {
    if (onConnect) onConnect(this, S);
  } catch (...) {
    vcl::Application->HandleException(this);
  }
  // Data that came before this selection is posted by the selection itself.
  Select(FSocket, kConnectedEvents);
}

void VOduRude::DoClose(std::int32_t S) {
  try {
    if (onClose) onClose(this, S);
  } catch (...) {
    vcl::Application->HandleException(this);
  }
}

void VOduRude::TimeOutTick(vcl::TObject*) {
  if (!FSending) return;
  if (TimeOut <= 0) return;
  ++FTickCount;
  // Repeats on every further tick while the send is still blocked.
  if (FTickCount > TimeOut) winsock::WSACancelBlockingCall();
}

}  // namespace RezUrav
