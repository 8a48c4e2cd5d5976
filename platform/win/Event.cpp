#include "platform/win/Event.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace win {
namespace {

struct Event {
  bool manualReset;
  bool signalled;
  std::mutex lock;
  std::condition_variable changed;
};

std::mutex g_tableLock;
std::map<HANDLE, std::shared_ptr<Event>> g_events;
HANDLE g_nextHandle = 4;

std::shared_ptr<Event> Find(HANDLE h) {
  std::lock_guard guard(g_tableLock);
  auto it = g_events.find(h);
  return it == g_events.end() ? nullptr : it->second;
}

}  // namespace

HANDLE CreateEventA(const void* securityAttributes, BOOL manualReset, BOOL initialState,
                    const char* name) {
  if (securityAttributes != nullptr || name != nullptr) return 0;
  auto event = std::make_shared<Event>();
  event->manualReset = manualReset != FALSE;
  event->signalled = initialState != FALSE;
  std::lock_guard guard(g_tableLock);
  HANDLE h = g_nextHandle;
  g_nextHandle += 4;
  g_events.emplace(h, std::move(event));
  return h;
}

BOOL SetEvent(HANDLE h) {
  auto event = Find(h);
  if (!event) return FALSE;
  {
    std::lock_guard guard(event->lock);
    event->signalled = true;
  }
  event->changed.notify_all();
  return TRUE;
}

BOOL ResetEvent(HANDLE h) {
  auto event = Find(h);
  if (!event) return FALSE;
  std::lock_guard guard(event->lock);
  event->signalled = false;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) {
  auto event = Find(h);
  if (!event) return WAIT_FAILED;
  std::unique_lock guard(event->lock);
  auto isSet = [&] { return event->signalled; };
  if (milliseconds == INFINITE) {
    event->changed.wait(guard, isSet);
  } else if (!event->changed.wait_for(guard, std::chrono::milliseconds(milliseconds), isSet)) {
    return WAIT_TIMEOUT;
  }
  if (!event->manualReset) event->signalled = false;
  return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE h) {
  std::lock_guard guard(g_tableLock);
  return g_events.erase(h) ? TRUE : FALSE;
}

}  // namespace win
