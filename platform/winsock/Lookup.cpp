#include "platform/winsock/PosixSockets.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/winsock/ErrnoMap.h"
#include "platform/winsock/Winsock.h"

namespace winsock {
namespace {

bool Started() { return StartedCount() > 0; }

// The look-ups answer failure with a null entry and the error as last error.
template <class Entry>
Entry* FailWith(int error) {
  detail::Fail(error);
  return nullptr;
}

// Storage behind the pointers that gethostbyname hands out, one per thread.
struct HostStorage {
  std::string name;
  std::vector<std::uint32_t> addresses;
  std::vector<char*> addressPointers;
  char* noAliases[1] = {nullptr};
  hostent entry;
};

struct ServiceStorage {
  std::string name;
  std::string protocol;
  char* noAliases[1] = {nullptr};
  servent entry;
};

}  // namespace

int gethostname(char* name, int nameLength) {
  if (!Started()) return detail::Fail(WSANOTINITIALISED);
  if (name == nullptr || nameLength <= 0) return detail::Fail(WSAEFAULT);
  char full[256] = {};
  if (::gethostname(full, sizeof full - 1) != 0) return detail::FailFromErrno();
  // A name that does not fit with its NUL is refused, never cut.
  std::size_t length = std::strlen(full);
  if (length + 1 > static_cast<std::size_t>(nameLength)) return detail::Fail(WSAEFAULT);
  std::memcpy(name, full, length + 1);
  return 0;
}

hostent* gethostbyname(const char* name) {
  if (!Started()) return FailWith<hostent>(WSANOTINITIALISED);
  if (name == nullptr) return FailWith<hostent>(WSAEFAULT);
  addrinfo hints{};
  hints.ai_family = PF_INET;
  hints.ai_socktype = ::SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(name, nullptr, &hints, &found);
  if (rc != 0) return FailWith<hostent>(detail::FromAddrInfoError(rc, errno));

  thread_local HostStorage storage;
  storage.name = found->ai_canonname ? found->ai_canonname : name;
  storage.addresses.clear();
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    auto* in = reinterpret_cast<const ::sockaddr_in*>(a->ai_addr);
    storage.addresses.push_back(in->sin_addr.s_addr);
  }
  ::freeaddrinfo(found);
  storage.addressPointers.clear();
  for (auto& address : storage.addresses)
    storage.addressPointers.push_back(reinterpret_cast<char*>(&address));
  storage.addressPointers.push_back(nullptr);
  storage.entry = hostent{storage.name.data(), storage.noAliases, AF_INET, 4,
                          storage.addressPointers.data()};
  return &storage.entry;
}

u_long inet_addr(const char* text) {
  if (text == nullptr) return INADDR_NONE;
  return ::inet_addr(text);
}

char* inet_ntoa(in_addr address) {
  thread_local char text[16];
  auto bytes = reinterpret_cast<const unsigned char*>(&address.s_addr);
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

servent* getservbyname(const char* name, const char* protocol) {
  if (!Started()) return FailWith<servent>(WSANOTINITIALISED);
  if (name == nullptr) return FailWith<servent>(WSAEFAULT);
  ::servent found{};
  ::servent* result = nullptr;
  char buffer[1024];
  if (::getservbyname_r(name, protocol, &found, buffer, sizeof buffer, &result) != 0 ||
      result == nullptr)
    return FailWith<servent>(WSANO_DATA);
  thread_local ServiceStorage storage;
  storage.name = found.s_name;
  storage.protocol = found.s_proto;
  storage.entry = servent{storage.name.data(), storage.noAliases,
                          static_cast<std::int16_t>(found.s_port), storage.protocol.data()};
  return &storage.entry;
}

u_short htons(u_short value) { return ::htons(value); }
u_long htonl(u_long value) { return ::htonl(value); }
u_short ntohs(u_short value) { return ::ntohs(value); }
u_long ntohl(u_long value) { return ::ntohl(value); }

}  // namespace winsock
