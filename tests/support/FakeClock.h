// A tick source the test moves by hand, installed for the fixture's lifetime.
#pragma once

#include "platform/win/MessageQueue.h"
#include "platform/win/Tick.h"

namespace testing_support {

class FakeClock : public win::TickSource {
 public:
  explicit FakeClock(win::DWORD start) : FNow(start) { win::SetTickSource(this); }
  ~FakeClock() override { win::SetTickSource(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  win::DWORD Now() override { return FNow; }
  void Advance(win::DWORD ms) { FNow += ms; }

 private:
  win::DWORD FNow;
};

// Dispatches everything that waits now, without blocking; returns how many.
inline int PumpWaiting() {
  int handled = 0;
  win::MSG msg;
  while (win::PeekMessage(msg, win::PM_REMOVE)) {
    if (msg.message != win::WM_QUIT) win::DispatchMessage(msg);
    ++handled;
  }
  return handled;
}

// A hidden window that records what it receives; freed with the object.
class RecordingWindow {
 public:
  template <class F>
  explicit RecordingWindow(F onMessage) : FHandle(win::AllocateHWnd(onMessage)) {}
  ~RecordingWindow() { win::DeallocateHWnd(FHandle); }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;
  win::HWND Handle() const { return FHandle; }

 private:
  win::HWND FHandle;
};

}  // namespace testing_support
