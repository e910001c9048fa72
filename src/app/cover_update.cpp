// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cover_update.h"

#include <memory>

#include "app/played_songs.h"
#include "app/changes.h"
#include "app/rescale_cover.h"
#include "cover/cover_download.h"
#include "cover/cover_lookup.h"
#include "display/surface.h"
#include "text/title_text.h"

namespace {

// What the worker found: the picture and its copy for the cover box (and,
// on a display scaled above 1, for the box's device pixels), or no picture.
struct FoundCover {
  Image picture;
  Image scaled;
  float scale = 1;
  Image deviceScaled;
  Thumbnail thumbnail;  // for the played-songs window's row
};

void ShowCover(Player& player, const Text& nowPlaying, FoundCover& found) {
  SongState& song = player.song;
  if (found.picture == nullptr) {
    ++song.coverFailCount;
    return;
  }
  song.coverImage = std::move(found.picture);
  // Never leave the previous song's scaled copy beside the new cover: if the
  // copy could not be made, the view stretches coverImage instead.
  song.coverScaled = std::move(found.scaled);
  song.coverFailCount = 0;
  ++song.coverSerial;
  MarkChanged(player, kCoverChanged);
  NoteSongCover(player, nowPlaying, std::move(found.thumbnail));
  // Made for this cover: the view need not make it (the display's scale may
  // have changed since; then it does).
  if (found.deviceScaled != nullptr) {
    player.viewCaches.deviceCover = {song.coverSerial, found.scale, std::move(found.deviceScaled)};
  }
}

}  // namespace

void UpdateCover(Player& player, const Text& nowPlaying, std::optional<uint32_t> deadlineMs, Apply then) {
  ArtistTitle parts = SplitNowPlaying(nowPlaying);
  if (parts.artist.empty() && parts.title.empty()) {
    if (then) then(player);
    return;
  }
  const CoverServices services{player.config.itunesBase, player.config.deezerBase};
  const float scale = player.mainSurface != nullptr ? SurfaceScale(*player.mainSurface) : 1;
  RunInBackground(player, Lane::Poll,
                  [httpGet = player.httpGet, services, nowPlaying, parts = std::move(parts), deadlineMs,
                   box = player.look.layout.coverBox, scale, then = std::move(then)]() -> Apply {
                    auto found = std::make_shared<FoundCover>();
                    const Text url = LookupCoverUrl(httpGet, services, parts.artist, parts.title, deadlineMs);
                    if (!url.empty()) found->picture = DownloadImage(httpGet, url, deadlineMs);
                    // Scaled here too: resampling a large picture takes a while.
                    if (found->picture != nullptr) {
                      found->scaled = ScaledCover(*found->picture, box);
                      found->scale = scale;
                      if (scale > 1) found->deviceScaled = DeviceScaledCover(*found->picture, box, scale);
                      found->thumbnail = DeviceScaledCover(*found->picture, kThumbnailBox, scale);
                    }
                    return [found, nowPlaying, then](Player& p) {
                      ShowCover(p, nowPlaying, *found);
                      if (then) then(p);
                    };
                  });
}
