// Basic types of the original platform's window and kernel interfaces.
#pragma once

#include <cstdint>

namespace win {

using BOOL = int;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uint32_t;
using LPARAM = std::int32_t;
using LRESULT = std::int32_t;
using UINT_PTR = std::uint32_t;

// A window is named by an id that is never reused within a process; 0 is no window.
using HWND = std::int32_t;

// A kernel object handle; 0 is no handle.
using HANDLE = std::intptr_t;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

// A message as a window procedure sees it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A message as the queue hands it out.
struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

constexpr std::uint16_t LOWORD(LPARAM l) { return static_cast<std::uint16_t>(l & 0xFFFF); }
constexpr std::uint16_t HIWORD(LPARAM l) {
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF);
}

}  // namespace win
