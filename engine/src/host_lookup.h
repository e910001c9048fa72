// Name resolution, asked only to tell a failed TLS handshake from an
// unknown host after libav reported both as the same I/O error.
#pragma once

namespace orvelle {

bool HostResolves(const char* host);

}  // namespace orvelle
