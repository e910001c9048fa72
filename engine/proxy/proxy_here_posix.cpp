// SPDX-License-Identifier: GPL-3.0-or-later
// The proxy on Linux: the environment's, as libcurl reads it.
#include <cstdlib>

#include "proxy_route.h"

namespace orvelle {

std::string ProxyForUrlHere(const std::string& url) { return ProxyForUrl(url, std::getenv); }

}  // namespace orvelle
