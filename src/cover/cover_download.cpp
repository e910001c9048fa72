// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/cover_download.h"

#include "cover/image_decode.h"
#include "nowplaying/fetch_text.h"
#include "os/log.h"

Image DownloadImage(const HttpGetFn& httpGet, const Text& url, std::optional<uint32_t> deadlineMs) {
  if (!httpGet) return nullptr;
  const std::string address = TextToUtf8(AddCacheBuster(url));
  const std::optional<std::string> body = httpGet(address, FetchBounds{FetchKind::Picture, deadlineMs});
  if (!body) return nullptr;
  Image picture = DecodePicture(reinterpret_cast<const uint8_t*>(body->data()), body->size());
  if (picture == nullptr) {
    LogDiagnostic("%s is not a whole PNG or JPEG picture (%llu bytes)", address.c_str(),
                  static_cast<unsigned long long>(body->size()));
  }
  return picture;
}
