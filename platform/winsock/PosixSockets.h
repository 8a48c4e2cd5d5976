// The POSIX socket headers, for the stand-in's own sources only. Macros that
// share a name with the Windows Sockets interface are dropped; POSIX code here
// says PF_INET, ::SOCK_STREAM and ::htons instead.
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#undef INADDR_ANY
#undef INADDR_NONE
#undef AF_INET
#undef SOCK_STREAM
#undef htons
#undef htonl
#undef ntohs
#undef ntohl
