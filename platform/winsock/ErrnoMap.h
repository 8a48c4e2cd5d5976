// errno and getaddrinfo results mapped to Windows Sockets error numbers.
// Internal to the stand-in layer.
#pragma once

namespace winsock::detail {

int FromErrno(int err);
int FromAddrInfoError(int gaiResult, int err);
// Records errno as the thread's last error and returns SOCKET_ERROR.
int FailFromErrno();
// Records `error` as the thread's last error and returns SOCKET_ERROR.
int Fail(int error);

}  // namespace winsock::detail
