// The handle table and the notification engine behind WSAAsyncSelect.
// Internal to the stand-in layer; used from the thread that runs the queue.
//
// Handles are never reused within a process (descriptor numbers are, at
// once), so a notification still queued for a closed socket cannot reach a
// new one: its handle simply no longer exists.
#pragma once

#include "platform/win/Types.h"
#include "platform/winsock/Winsock.h"

namespace winsock::detail {

struct SocketEntry {
  int fd = -1;
  bool nonBlocking = false;  // WSAAsyncSelect was called
  win::HWND window = 0;
  win::UINT message = 0;
  long mask = 0;
  bool listening = false;
  bool connecting = false;     // a non-blocking connect waits for its FD_CONNECT
  bool connected = false;      // a connection was made (connect or accept)
  bool readPosted = false;     // FD_READ posted; re-enabled by recv
  bool acceptPosted = false;   // FD_ACCEPT posted; re-enabled by accept
  bool closePosted = false;    // FD_CLOSE is posted at most once
  bool waitForRecv = false;    // a condition that only recv can change is pending
  int socketError = 0;         // SO_ERROR, read once and kept
};

SocketEntry* FindSocket(SOCKET s);
SOCKET AddSocket(int fd);  // INVALID_SOCKET when the table is full
void RemoveSocket(SOCKET s);
int SocketCount();

// Recomputes what the queue polls for on behalf of `s`.
void Rearm(SOCKET s);
// Posts at once the selected conditions that already hold (a new selection).
void PostConditionsThatHold(SOCKET s);
// Re-enables FD_READ after recv: posts another when unread bytes remain.
void ReenableRead(SOCKET s);
// Re-enables FD_ACCEPT after accept: posts another when a peer still waits.
void ReenableAccept(SOCKET s);
// Posts FD_CONNECT for a non-blocking connect whose outcome is known now.
void PostConnectOutcome(SOCKET s, int error);

}  // namespace winsock::detail
