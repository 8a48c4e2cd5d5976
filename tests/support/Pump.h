// Pumping the thread's queue in tests with real time, bounded so a broken
// loop fails instead of hanging.
#pragma once

#include <chrono>
#include <functional>

#include "platform/win/MessageQueue.h"
#include "tests/support/FakeClock.h"

namespace testing_support {

// Handles messages until `done()` holds or `timeoutMs` passes; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    PumpWaiting();
    if (done()) return true;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return done();
    win::WaitForWork(-1, 0, static_cast<int>(left.count()));
  }
}

// Handles messages for `ms` milliseconds (to show that nothing more comes).
inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace testing_support
