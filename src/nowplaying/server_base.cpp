// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/server_base.h"

#include "text/url.h"

Text DeriveServerBase(const Text& url) { return url.substr(0, url.size() - SplitUrl(url).path.size()); }
