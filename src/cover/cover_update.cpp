#include "cover/cover_update.h"

#include "app/rescale_cover.h"
#include "cover/cover_lookup.h"
#include "cover/image_decode.h"
#include "text/title_text.h"
#include "nowplaying/fetch_text.h"

Image DownloadImage(const Player& player, const Text& url) {
  if (!player.httpGet) return nullptr;
  const std::optional<std::string> body = player.httpGet(TextToUtf8(AddCacheBuster(url)));
  if (!body) return nullptr;
  return DecodePicture(reinterpret_cast<const uint8_t*>(body->data()), body->size());
}

void UpdateCover(Player& player, const Text& nowPlaying) {
  const ArtistTitle parts = SplitNowPlaying(nowPlaying);
  if (parts.artist.empty() && parts.title.empty()) return;

  const Text url = LookupCoverUrl(player, parts.artist, parts.title);
  Image picture = url.empty() ? nullptr : DownloadImage(player, url);
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
}
