// Window visibility. Nothing is ever shown on this platform, so hiding is a no-op.
#pragma once

#include "platform/win/Types.h"

namespace win {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Returns whether the window was visible before: never.
BOOL ShowWindow(HWND wnd, int command);

}  // namespace win
