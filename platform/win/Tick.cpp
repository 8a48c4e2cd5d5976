#include "platform/win/Tick.h"

#include <time.h>

namespace win {
namespace {

TickSource* g_source = nullptr;

DWORD MonotonicMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
            static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

}  // namespace

DWORD GetTickCount() { return g_source ? g_source->Now() : MonotonicMilliseconds(); }

void SetTickSource(TickSource* source) { g_source = source; }

DWORD TicksUntil(DWORD due, DWORD now) {
  auto ahead = static_cast<std::int32_t>(due - now);
  return ahead > 0 ? static_cast<DWORD>(ahead) : 0;
}

}  // namespace win
