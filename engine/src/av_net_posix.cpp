// SPDX-License-Identifier: GPL-3.0-or-later
#include <netdb.h>
#include <sys/socket.h>

#include "av_net.h"

namespace orvelle {

bool HostResolves(const char* host) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0) return false;
  freeaddrinfo(found);
  return true;
}

int PortableNetError(int averror) { return averror; }

}  // namespace orvelle
