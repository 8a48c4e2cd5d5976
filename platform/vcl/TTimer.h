// The framework's timer component, on a hidden window of its own.
//
// While Enabled, Interval != 0 and OnTimer is assigned, OnTimer is called every
// Interval ms from the thread's message loop. Assigning Enabled or Interval a
// different value restarts the countdown; the same value changes nothing.
// Assigning OnTimer restarts it too. An exception in OnTimer goes to the
// application's exception report.
#pragma once

#include "platform/vcl/TComponent.h"
#include "platform/win/Types.h"

namespace vcl {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  win::UINT Interval() const { return FInterval; }
  void SetInterval(win::UINT value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(win::TMessage& message);

  win::UINT FInterval = 1000;
  win::HWND FWindowHandle;
  TNotifyEvent FOnTimer;
  bool FEnabled = true;
};

}  // namespace vcl
