// The thread's message queue: hidden windows, posted messages, timers, and the
// poll() wait that turns socket readiness into posted messages.
//
// One queue per thread, made on first use. Windows, timers and fd watches
// belong to the thread that made them and are used from that thread only.
// Handlers may pump the queue again (nested); the queue keeps no iterator
// across a handler call and looks every target up again at delivery.
#pragma once

#include <functional>

#include "platform/win/Types.h"

namespace win {

using WndProc = std::function<void(TMessage&)>;

// Hidden windows: a window is only a target id with a procedure behind it.
HWND AllocateHWnd(WndProc proc);
// Drops the window, its timers and every message still queued for it.
void DeallocateHWnd(HWND wnd);
BOOL IsWindow(HWND wnd);
// Windows alive on this thread (for leak checks).
int LiveWindowCount();

BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

// Order of what the queue hands out: posted messages in posting order, then a
// pending quit, then the timer that fell due first. Timers are synthesised,
// never queued, so a timer that fell due several times yields one WM_TIMER.
BOOL PeekMessage(MSG& msg, UINT removeFlags);
// Blocks in poll() until a message can be had; FALSE for WM_QUIT.
BOOL GetMessage(MSG& msg);
LRESULT DispatchMessage(const MSG& msg);

// Starts (or restarts from now) the timer `id` of `wnd`; returns id, or 0 when
// the window does not exist. Due times stay on the grid start + n * elapse.
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse);
BOOL KillTimer(HWND wnd, UINT_PTR id);

// I/O sources the queue polls whenever it waits or peeks. `onReady` is called
// with poll's revents and usually posts a message; events 0 pauses the watch.
using FdReady = std::function<void(short revents)>;
void WatchFd(int fd, short events, FdReady onReady);
void UnwatchFd(int fd);

// Waits until a message can be had, a timer is due, `fd` (when >= 0) reports
// one of `events`, or `timeoutMs` passes (-1: no limit). Readiness of watched
// fds is handed to their handlers first. Returns the revents of `fd`.
short WaitForWork(int fd, short events, int timeoutMs);

}  // namespace win
