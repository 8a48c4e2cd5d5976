// Kernel event objects. A handle names an event in a process-wide table, so a
// closed handle is refused instead of touching freed memory.
#pragma once

#include "platform/win/Types.h"

namespace win {

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Security attributes and names are not supported: pass nullptr.
HANDLE CreateEventA(const void* securityAttributes, BOOL manualReset, BOOL initialState,
                    const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// An auto-reset event is consumed by the wait that sees it set.
DWORD WaitForSingleObject(HANDLE event, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

}  // namespace win
