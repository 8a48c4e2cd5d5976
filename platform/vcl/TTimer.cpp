#include "platform/vcl/TTimer.h"

#include "platform/vcl/Exception.h"
#include "platform/vcl/TApplication.h"
#include "platform/win/MessageQueue.h"

namespace vcl {
namespace {
constexpr win::UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner),
      FWindowHandle(win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); })) {}

TTimer::~TTimer() {
  FEnabled = false;
  win::KillTimer(FWindowHandle, kTimerId);
  win::DeallocateHWnd(FWindowHandle);
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(win::UINT value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::UpdateTimer() {
  win::KillTimer(FWindowHandle, kTimerId);
  if (FInterval != 0 && FEnabled && FOnTimer) {
    if (win::SetTimer(FWindowHandle, kTimerId, FInterval) == 0)
      throw EOutOfResources("Not enough timers available");
  }
}

void TTimer::WndProc(win::TMessage& message) {
  if (message.Msg != win::WM_TIMER) return;
  try {
    Timer();
  } catch (...) {
    Application->HandleException(this);
  }
}

}  // namespace vcl
