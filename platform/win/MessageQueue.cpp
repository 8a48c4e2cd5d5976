#include "platform/win/MessageQueue.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/win/Tick.h"

namespace win {
namespace {

std::atomic<HWND> g_nextWindow{1};

struct Timer {
  HWND wnd;
  UINT_PTR id;
  DWORD interval;
  DWORD due;
};

struct Watch {
  short events;
  std::shared_ptr<FdReady> onReady;
};

class ThreadQueue {
 public:
  std::deque<MSG> posted;
  std::map<HWND, std::shared_ptr<WndProc>> windows;
  std::vector<Timer> timers;  // in creation order: ties go to the older timer
  std::map<int, Watch> watches;
  bool quitPending = false;
  int quitCode = 0;

  // The timer that fell due first, if any is due now.
  std::optional<std::size_t> DueTimer(DWORD now) const {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < timers.size(); ++i) {
      if (TicksUntil(timers[i].due, now) != 0) continue;
      if (!best || static_cast<std::int32_t>(timers[i].due - timers[*best].due) < 0) best = i;
    }
    return best;
  }

  // Milliseconds until the next timer, or -1 when none runs.
  int NextTimerTimeout(DWORD now) const {
    std::optional<DWORD> wait;
    for (const Timer& t : timers) {
      DWORD left = TicksUntil(t.due, now);
      if (!wait || left < *wait) wait = left;
    }
    return wait ? static_cast<int>(std::min<DWORD>(*wait, INT_MAX)) : -1;
  }

  // Polls the watched fds (and an extra one) and hands readiness to the watches.
  short Poll(int fd, short events, int timeoutMs) {
    std::vector<pollfd> fds;
    for (const auto& [wfd, w] : watches)
      if (w.events != 0) fds.push_back({wfd, w.events, 0});
    if (fd >= 0) fds.push_back({fd, events, 0});
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n <= 0) return 0;
    short extra = 0;
    for (const pollfd& p : fds) {
      if (p.revents == 0) continue;
      if (fd >= 0 && &p == &fds.back()) {
        extra = p.revents;
        continue;
      }
      // A handler run earlier in this pass may have dropped or paused the watch.
      auto it = watches.find(p.fd);
      if (it == watches.end() || (it->second.events == 0)) continue;
      auto handler = it->second.onReady;
      (*handler)(p.revents);
    }
    return extra;
  }
};

ThreadQueue& Queue() {
  thread_local ThreadQueue queue;
  return queue;
}

Timer* FindTimer(ThreadQueue& q, HWND wnd, UINT_PTR id) {
  for (Timer& t : q.timers)
    if (t.wnd == wnd && t.id == id) return &t;
  return nullptr;
}

// Moves a fired timer to its next grid point after now: missed periods coalesce.
void AdvanceTimer(Timer& t, DWORD now) {
  DWORD late = now - t.due;
  t.due += (late / t.interval + 1) * t.interval;
}

bool TakePosted(ThreadQueue& q, MSG& msg, bool remove) {
  if (q.posted.empty()) return false;
  msg = q.posted.front();
  if (remove) q.posted.pop_front();
  return true;
}

bool TakeQuitOrTimer(ThreadQueue& q, MSG& msg, bool remove) {
  if (q.quitPending) {
    msg = MSG{0, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0};
    if (remove) q.quitPending = false;
    return true;
  }
  DWORD now = GetTickCount();
  auto due = q.DueTimer(now);
  if (!due) return false;
  Timer& t = q.timers[*due];
  msg = MSG{t.wnd, WM_TIMER, t.id, 0};
  if (remove) AdvanceTimer(t, now);
  return true;
}

}  // namespace

HWND AllocateHWnd(WndProc proc) {
  HWND wnd = g_nextWindow.fetch_add(1);
  Queue().windows.emplace(wnd, std::make_shared<WndProc>(std::move(proc)));
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  ThreadQueue& q = Queue();
  if (q.windows.erase(wnd) == 0) return;
  std::erase_if(q.posted, [wnd](const MSG& m) { return m.hwnd == wnd; });
  std::erase_if(q.timers, [wnd](const Timer& t) { return t.wnd == wnd; });
}

BOOL IsWindow(HWND wnd) { return Queue().windows.contains(wnd) ? TRUE : FALSE; }

int LiveWindowCount() { return static_cast<int>(Queue().windows.size()); }

BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ThreadQueue& q = Queue();
  if (wnd != 0 && !q.windows.contains(wnd)) return FALSE;
  q.posted.push_back(MSG{wnd, msg, wParam, lParam});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  ThreadQueue& q = Queue();
  q.quitPending = true;
  q.quitCode = exitCode;
}

BOOL PeekMessage(MSG& msg, UINT removeFlags) {
  ThreadQueue& q = Queue();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  if (TakePosted(q, msg, remove)) return TRUE;
  // Readiness that arrived meanwhile becomes posted messages, which go before timers.
  q.Poll(-1, 0, 0);
  if (TakePosted(q, msg, remove)) return TRUE;
  return TakeQuitOrTimer(q, msg, remove) ? TRUE : FALSE;
}

BOOL GetMessage(MSG& msg) {
  while (!PeekMessage(msg, PM_REMOVE)) WaitForWork(-1, 0, -1);
  return msg.message == WM_QUIT ? FALSE : TRUE;
}

LRESULT DispatchMessage(const MSG& msg) {
  ThreadQueue& q = Queue();
  auto it = q.windows.find(msg.hwnd);
  if (it == q.windows.end()) return 0;
  // Held by value: the procedure may destroy its own window.
  std::shared_ptr<WndProc> proc = it->second;
  TMessage m{msg.message, msg.wParam, msg.lParam, 0};
  (*proc)(m);
  return m.Result;
}

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse) {
  ThreadQueue& q = Queue();
  if (!q.windows.contains(wnd)) return 0;
  DWORD interval = std::max<DWORD>(elapse, 1);
  DWORD due = GetTickCount() + interval;
  if (Timer* t = FindTimer(q, wnd, id)) {
    t->interval = interval;
    t->due = due;
  } else {
    q.timers.push_back(Timer{wnd, id, interval, due});
  }
  return id;
}

BOOL KillTimer(HWND wnd, UINT_PTR id) {
  auto removed =
      std::erase_if(Queue().timers, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
  return removed ? TRUE : FALSE;
}

void WatchFd(int fd, short events, FdReady onReady) {
  Queue().watches[fd] = Watch{events, std::make_shared<FdReady>(std::move(onReady))};
}

void UnwatchFd(int fd) { Queue().watches.erase(fd); }

short WaitForWork(int fd, short events, int timeoutMs) {
  ThreadQueue& q = Queue();
  if (!q.posted.empty() || q.quitPending) timeoutMs = 0;
  int timerWait = q.NextTimerTimeout(GetTickCount());
  if (timerWait >= 0 && (timeoutMs < 0 || timerWait < timeoutMs)) timeoutMs = timerWait;
  return q.Poll(fd, events, timeoutMs);
}

}  // namespace win
