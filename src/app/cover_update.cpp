// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cover_update.h"

#include "app/rescale_cover.h"
#include "cover/cover_download.h"
#include "cover/cover_lookup.h"
#include "text/title_text.h"

void UpdateCover(Player& player, const Text& nowPlaying, std::optional<uint32_t> deadlineMs) {
  const ArtistTitle parts = SplitNowPlaying(nowPlaying);
  if (parts.artist.empty() && parts.title.empty()) return;

  const CoverServices services{player.config.itunesBase, player.config.deezerBase};
  const Text url = LookupCoverUrl(player.httpGet, services, parts.artist, parts.title, deadlineMs);
  Image picture = url.empty() ? nullptr : DownloadImage(player.httpGet, url, deadlineMs);
  if (picture == nullptr) {
    ++player.coverFailCount;
    return;
  }

  player.coverImage = std::move(picture);
  // Never leave the previous song's scaled copy beside the new cover: if the
  // copy cannot be made, the view stretches coverImage instead.
  FreeImage(player.coverScaled);
  RescaleCover(player);
  player.coverFailCount = 0;
  ++player.coverSerial;
}
