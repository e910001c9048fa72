// SPDX-License-Identifier: GPL-3.0-or-later
// Downloading a cover picture.
#pragma once

#include <cstdint>
#include <optional>

#include "model/picture.h"
#include "nowplaying/http_get.h"
#include "text/text.h"

// The picture at `url` (with a cache-busting query added), decoded as PNG or
// JPEG; nullptr when the download fails (within a picture's bounds, and by
// `deadlineMs` if given) or the body is not such a picture.
Image DownloadImage(const HttpGetFn& httpGet, const Text& url, std::optional<uint32_t> deadlineMs = {});
