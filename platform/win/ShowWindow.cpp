#include "platform/win/ShowWindow.h"

namespace win {

BOOL ShowWindow(HWND, int) { return FALSE; }

}  // namespace win
