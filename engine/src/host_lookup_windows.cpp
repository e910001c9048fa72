#include <winsock2.h>
#include <ws2tcpip.h>

#include "host_lookup.h"

namespace orvelle {

bool HostResolves(const char* host) {
  // libav has released Winsock by the time an open has failed: hold it here.
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const bool resolves = getaddrinfo(host, nullptr, &hints, &found) == 0;
  if (resolves) freeaddrinfo(found);
  WSACleanup();
  return resolves;
}

}  // namespace orvelle
