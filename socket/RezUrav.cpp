#include "socket/RezUrav.h"

#include "platform/win/Event.h"
#include "platform/win/MessageQueue.h"
#include "socket/ErrorMessage.h"
#include "socket/KanjiConvert.h"

namespace RezUrav {
namespace {

constexpr winsock::WORD kWinsockVersion11 = 0x0101;
constexpr int kHostNameBufferSize = 50;
constexpr win::UINT kTickInterval = 100;

}  // namespace

VOduRude::VOduRude(vcl::TComponent* AOwner) : vcl::TComponent(AOwner) {
  ErrorNumber = 0;
  FActive = false;
  ServerMode = false;
  FSocket = winsock::INVALID_SOCKET;
  FShareCount = 0;
  FWindowHandle = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });

  int started = winsock::WSAStartup(kWinsockVersion11, &FWSAData);
  if (started != 0) {
    ErrorNumber = started;
    std::string text = ErrorMessage();
    Release();
    throw ECommError(text);
  }
  FStarted = true;

  char hostName[kHostNameBufferSize] = {};
  if (winsock::gethostname(hostName, kHostNameBufferSize) != 0) {
    // Not fatal: the component works without its own name, timer and event.
    ErrorNumber = winsock::WSAGetLastError();
    return;
  }
  FSelfName = hostName;
  // An own name that does not resolve leaves the own address empty.
  if (winsock::hostent* host = winsock::gethostbyname(FSelfName.c_str())) {
    winsock::in_addr address;
    address.s_addr = *reinterpret_cast<const winsock::u_long*>(host->h_addr_list[0]);
    FSelfIPAddress = winsock::inet_ntoa(address);
  }

  FTimer = new vcl::TTimer(this);
  FTimer->SetInterval(kTickInterval);
  FTimer->SetOnTimer([this](vcl::TObject* sender) { TimeOutTick(sender); });

  FReceiveEvent = win::CreateEventA(nullptr, win::FALSE, win::FALSE, nullptr);
}

VOduRude::~VOduRude() { Release(); }

void VOduRude::Release() {
  if (FReceiveEvent != 0) win::CloseHandle(FReceiveEvent);
  FReceiveEvent = 0;
  delete FTimer;
  FTimer = nullptr;
  if (FStarted) winsock::WSACleanup();
  FStarted = false;
  // Notifications still queued for the window are dropped with it.
  if (FWindowHandle != 0) win::DeallocateHWnd(FWindowHandle);
  FWindowHandle = 0;
}

void VOduRude::SetSelfName(const std::string&) {}

void VOduRude::SetSelfIPAddress(const std::string&) {}

void VOduRude::SetTargetHost(const std::string& Value) {
  if (Value != FTargetHost) FTargetHost = Value;
  // Resolved again every time: a name whose address changed gets the new one.
  FTargetAddress = winsock::inet_addr(FTargetHost.c_str());
  if (FTargetAddress == winsock::INADDR_NONE) {
    if (winsock::hostent* host = winsock::gethostbyname(FTargetHost.c_str()))
      FTargetAddress = *reinterpret_cast<const winsock::u_long*>(host->h_addr_list[0]);
  }
  winsock::in_addr address;
  address.s_addr = FTargetAddress;
  TargetIPAddress = winsock::inet_ntoa(address);
}

void VOduRude::SetTargetService(const std::string& Value) {
  if (Value == FTargetService) return;
  FTargetService = Value;
  if (winsock::servent* service = winsock::getservbyname(FTargetService.c_str(), nullptr))
    TargetPort = winsock::ntohs(static_cast<winsock::u_short>(service->s_port));
}

std::string VOduRude::ErrorMessage() const { return ErrorText(ErrorNumber); }

std::string VOduRude::ConvertKanjiCode(const std::string& Text) const {
  return ConvertKanjiCodeText(Text);
}

}  // namespace RezUrav
