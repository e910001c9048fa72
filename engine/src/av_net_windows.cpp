// SPDX-License-Identifier: GPL-3.0-or-later
#include <winsock2.h>
#include <ws2tcpip.h>

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>

#include "av_net.h"

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

// libav's network code on Windows gives Winsock's own numbers where Linux has
// errno values (a time-out is -10060, not the C library's ETIMEDOUT), and
// schannel reports a failed handshake, a refused certificate included, as
// AVERROR_UNKNOWN where the Linux TLS backends say EIO. A refused connection
// (-10061) needs nothing: like any other failure to connect it opens nothing.
int PortableNetError(int averror) {
  switch (averror) {
    case AVERROR(WSAETIMEDOUT): return AVERROR(ETIMEDOUT);
    case AVERROR_UNKNOWN: return AVERROR(EIO);
    default: return averror;
  }
}

}  // namespace orvelle
