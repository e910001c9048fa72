// SPDX-License-Identifier: GPL-3.0-or-later
// What the input's network code needs from the operating system beyond
// libav: one file per platform (av_net_posix.cpp, av_net_windows.cpp).
#pragma once

namespace orvelle {

// Asked only to tell a failed TLS handshake from an unknown host after libav
// reported both as the same I/O error.
bool HostResolves(const char* host);

// A libav error code as the Linux build would see it for the same failure,
// so that one mapping to BASS codes serves every platform.
int PortableNetError(int averror);

}  // namespace orvelle
