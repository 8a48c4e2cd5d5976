// The one tick source of the process: milliseconds in 32 bits that wrap.
#pragma once

#include "platform/win/Types.h"

namespace win {

// Milliseconds since an arbitrary start; wraps at 2^32. Take differences unsigned.
DWORD GetTickCount();

// Where GetTickCount reads its time. Tests install a fake clock to drive
// timer rules without waiting; nullptr restores the monotonic clock.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual DWORD Now() = 0;
};
void SetTickSource(TickSource* source);

// Milliseconds from now until `due` on the wrapping clock; 0 when due is reached.
DWORD TicksUntil(DWORD due, DWORD now);

}  // namespace win
