// Unit RezUrav: VOduRude, a non-visual component that wraps one TCP endpoint
// (client or server) over Windows Sockets 1.1 and turns its notifications
// into events. Made, used and destroyed on the thread that runs the message
// loop; it takes no locks.
//
// Ownership: the component owns its hidden notification window, its 100 ms
// timer and its receive event. It never closes a socket when destroyed: the
// sockets it hands out belong to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/vcl/TComponent.h"
#include "platform/vcl/TTimer.h"
#include "platform/win/Types.h"
#include "platform/winsock/Winsock.h"
#include "socket/ECommError.h"

namespace RezUrav {

// Notification message of every socket of the component (WM_USER + 100).
constexpr win::UINT WM_SOCKETNOTIFY = win::WM_USER + 100;

using TCommNotifyEvent = std::function<void(vcl::TObject* Sender, std::int32_t S)>;
using TCommAcceptNotifyEvent =
    std::function<void(vcl::TObject* Sender, std::int32_t S, const std::string& IPAddress)>;

class VOduRude : public vcl::TComponent {
 public:
  // Starts Windows Sockets, learns the own host name and address, makes the
  // notification window, the timer and the receive event. Raises ECommError
  // (the error text alone) when Windows Sockets cannot start, having released
  // what it made.
  explicit VOduRude(vcl::TComponent* AOwner);
  ~VOduRude() override;

  // Published properties. Those whose writer does work are accessor pairs;
  // the others are plain fields, as their property reads and writes the field.
  const std::string& SelfName() const { return FSelfName; }
  void SetSelfName(const std::string& Value);  // does nothing
  const std::string& SelfIPAddress() const { return FSelfIPAddress; }
  void SetSelfIPAddress(const std::string& Value);  // does nothing
  const std::string& TargetHost() const { return FTargetHost; }
  // Stores the name and resolves it (again, also when unchanged) into
  // TargetIPAddress; a name that does not resolve gives 255.255.255.255.
  void SetTargetHost(const std::string& Value);
  const std::string& TargetService() const { return FTargetService; }
  // A new name is stored and looked up; a known service sets TargetPort.
  void SetTargetService(const std::string& Value);
  // The Japanese text for ErrorNumber, computed on every read.
  std::string ErrorMessage() const;

  // Received text in Shift_JIS: JIS and EUC-JP blocks converted, the JIS shift
  // state carried over from block to block. Reads no field of the component.
  std::string ConvertKanjiCode(const std::string& Text) const;

  // Opens the socket as ServerMode says (listens, or connects to
  // TargetIPAddress:TargetPort, without blocking when onConnect is assigned)
  // and returns it. With Share, a socket already held is returned instead.
  // Raises ECommError when a step fails; ErrorNumber keeps the number.
  std::int32_t Open(bool Share);
  // Stops notifications for S and closes it (in server mode the listening
  // socket too); the component is left without a socket.
  void CloseSocket(std::int32_t S);
  // Handler of the hidden notification window: WM_SOCKETNOTIFY becomes events.
  void WndProc(win::TMessage& Message);
  // Raise the events; an exception from a handler goes to the application's
  // report and no further.
  virtual void DoReceive(std::int32_t S);
  virtual void DoAccept();
  virtual void DoConnect(std::int32_t S);
  virtual void DoClose(std::int32_t S);
  // OnTimer of the 100 ms timer: the watchdog that cancels a send that hangs.
  void TimeOutTick(vcl::TObject* Sender);

  // Sends what Windows Sockets takes at once and returns the count taken.
  std::int32_t SendBuffer(std::int32_t Socket, const void* Buffer, std::int32_t Count);
  std::int32_t SendString(std::int32_t Socket, std::string Text);
  // Receives up to Count bytes; with none waiting, waits in 100 ms periods
  // (TimeOut + 1 of them) while the message loop keeps running. 0 means the
  // peer closed the connection.
  std::int32_t ReceiveBuffer(std::int32_t Socket, void* Buffer, std::int32_t Count);
  // As ReceiveBuffer; Text gets the block up to its first NUL, converted to
  // Shift_JIS. Text is untouched when it raises.
  std::int32_t ReceiveString(std::int32_t Socket, std::string& Text, std::int32_t Count);

 private:
  // Frees what exists, in the order of destruction; shared by the destructor
  // and a failed construction.
  void Release();
  // Records the last error and raises ECommError with `prefix` before its text.
  [[noreturn]] void RaiseLastError(const std::string& prefix);
  [[noreturn]] void Raise(const std::string& prefix);
  // A failed step of Open: the socket made so far is closed (FSocket is -1
  // again), then ECommError with ErrorNumber's message.
  [[noreturn]] void CloseAndRaise(const std::string& prefix);
  int Select(winsock::SOCKET s, long events);
  // Waits for FReceiveEvent in 100 ms periods; true when it was signalled.
  bool WaitForReceiveSignal();

  win::HWND FWindowHandle = 0;
  std::string FSelfName;
  std::string FSelfIPAddress;

 public:
  std::int32_t SelfPort = 0;

 private:
  std::string FTargetHost;

 public:
  std::string TargetIPAddress;

 private:
  std::string FTargetService;

 public:
  std::int32_t TargetPort = 0;  // only the low 16 bits reach Windows Sockets
  bool ServerMode = false;
  std::int32_t ErrorNumber = 0;
  std::int32_t TimeOut = 0;  // ticks of 100 ms
  TCommNotifyEvent onReceive;
  TCommAcceptNotifyEvent onAccept;
  TCommNotifyEvent onConnect;
  TCommNotifyEvent onClose;

 private:
  winsock::WSADATA FWSAData;
  bool FActive = false;
  winsock::SOCKET FSocket = winsock::INVALID_SOCKET;
  std::int32_t FShareCount = 0;
  winsock::u_long FTargetAddress = 0;
  win::HANDLE FReceiveEvent = 0;
  bool FSending = false;
  vcl::TTimer* FTimer = nullptr;
  std::int32_t FTickCount = 0;
  bool FStarted = false;  // WSAStartup succeeded, so WSACleanup is owed
};

}  // namespace RezUrav
