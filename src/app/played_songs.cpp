// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/played_songs.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/background.h"
#include "app/poll.h"
#include "app/rescale_cover.h"
#include "cover/cover_download.h"
#include "cover/cover_lookup.h"
#include "display/played_songs_view.h"
#include "nowplaying/played_list.h"
#include "os/os.h"
#include "text/title_text.h"

namespace {

uint32_t NowMs(const Player& player) { return player.clockMs ? player.clockMs() : MonotonicMs(); }
int64_t NowS(const Player& player) { return player.wallClockS ? player.wallClockS() : UnixSecondsNow(); }

void Remerge(Player& player) {
  PlayedSongsState& state = player.playedSongs;
  state.rows = MergeHistory(state.history);
  state.scrollPx = std::min(state.scrollPx, MaxPlayedSongsScrollPx(state.rows.size(), kPlayedSongsHeight));
  state.redraw = true;
}

PlayedSongKey KeyOf(const HistoryRow& row) { return {row.timeS, row.title}; }

void StartFetch(Player& player) {
  PlayedSongsState& state = player.playedSongs;
  state.fetchRunning = true;
  state.lastFetchMs = NowMs(player);
  const std::optional<uint32_t> deadlineMs = BudgetEndMs(player, kStatusPagesBudgetMs);
  RunInBackground(player, Lane::History,
                  [httpGet = player.httpGet, serverBase = player.playback.serverBase, deadlineMs]() -> Apply {
                    auto songs = std::make_shared<std::optional<std::vector<PlayedSong>>>(
                        FetchPlayedList(httpGet, serverBase, deadlineMs));
                    return [songs](Player& p) {
                      PlayedSongsState& s = p.playedSongs;
                      s.fetchRunning = false;
                      // A failed fetch keeps the last good list: nothing shown is lost.
                      if (!*songs) return;
                      s.history.station.clear();
                      for (PlayedSong& song : **songs) s.history.station.push_back({song.playedAtS, std::move(song.title)});
                      s.history.stationAsOfS = NowS(p);
                      Remerge(p);
                    };
                  });
}

// The cover of the first shown row that is the station's alone and has no
// answer yet, looked up as the cover update does and made a thumbnail.
void LookUpShownCover(Player& player) {
  PlayedSongsState& state = player.playedSongs;
  if (state.lookupRunning || state.surface == nullptr) return;
  const RowRange shown = ShownPlayedSongRows(state.rows.size(), state.scrollPx, kPlayedSongsHeight);
  for (size_t row = shown.first; row < shown.end; ++row) {
    const HistoryRow& wanted = state.rows[row];
    if (!wanted.stationOnly || FindCoverAnswer(state.covers, wanted.title) != nullptr) continue;
    state.lookupRunning = true;
    const std::optional<uint32_t> deadlineMs = BudgetEndMs(player, kCoverUpdateBudgetMs);
    RunInBackground(player, Lane::History,
                    [httpGet = player.httpGet, services = CoverServices{player.config.itunesBase, player.config.deezerBase},
                     title = wanted.title, scale = SurfaceScale(*state.surface), deadlineMs]() -> Apply {
                      Thumbnail thumb;
                      const ArtistTitle parts = SplitNowPlaying(title);
                      if (!parts.artist.empty() || !parts.title.empty()) {
                        const Text url = LookupCoverUrl(httpGet, services, parts.artist, parts.title, deadlineMs);
                        const Image picture = url.empty() ? nullptr : DownloadImage(httpGet, url, deadlineMs);
                        if (picture != nullptr) thumb = DeviceScaledCover(*picture, kThumbnailBox, scale);
                      }
                      return [title, thumb](Player& p) {
                        p.playedSongs.lookupRunning = false;
                        KeepCoverAnswer(p.playedSongs.covers, title, thumb);
                        p.playedSongs.redraw = true;
                      };
                    });
    return;
  }
}

void Copy(Player& player, const HistoryRow& row) {
  const Text text = SongToCopy(row.title);
  if (text.empty()) return;
  if (player.shell.copyText) player.shell.copyText(text);
  player.playedSongs.copied = KeyOf(row);
  player.playedSongs.copiedAtMs = NowMs(player);
  player.playedSongs.redraw = true;
}

}  // namespace

void NoteSongOnAir(Player& player, const Text& title) {
  NoteSeenSong(player.playedSongs.history, NowS(player), title);
  Remerge(player);
}

void NoteSongCover(Player& player, const Text& title, Thumbnail cover) {
  if (cover == nullptr) return;
  NoteSeenCover(player.playedSongs.history, title, std::move(cover));
  Remerge(player);
}

void OpenPlayedSongs(Player& player, Surface* surface) {
  PlayedSongsState& state = player.playedSongs;
  state.surface = surface;
  state.scrollPx = 0;
  state.selected.reset();
  state.copied.reset();
  state.lastFetchMs.reset();  // the list is asked at once
  state.redraw = true;
  StepPlayedSongs(player);
}

void ClosePlayedSongs(Player& player) { player.playedSongs.surface = nullptr; }

void StepPlayedSongs(Player& player) {
  PlayedSongsState& state = player.playedSongs;
  if (state.surface == nullptr) return;
  const uint32_t nowMs = NowMs(player);
  if (!state.fetchRunning && (!state.lastFetchMs || int32_t(nowMs - *state.lastFetchMs) >= int32_t(kPlayedListIntervalMs))) {
    StartFetch(player);
  }
  if (state.copied && int32_t(nowMs - state.copiedAtMs) >= int32_t(kCopiedShownMs)) {
    state.copied.reset();
    state.redraw = true;
  }
  LookUpShownCover(player);
  // The fetch or the lookup may have ended at once (no worker), or closed nothing.
  if (state.redraw && state.surface != nullptr) DrawPlayedSongsWindow(player);
}

void DrawPlayedSongsWindow(Player& player) {
  PlayedSongsState& state = player.playedSongs;
  if (state.surface == nullptr) return;
  state.redraw = false;
  PlayedSongsPicture picture;
  picture.scrollPx = state.scrollPx;
  for (const HistoryRow& row : state.rows) {
    PlayedSongLine line{LocalClockText(row.timeS), row.title, row.cover.get()};
    if (line.cover == nullptr && row.stationOnly) {
      if (const CoverAnswer* answer = FindCoverAnswer(state.covers, row.title)) line.cover = answer->cover.get();
    }
    line.selected = state.selected == KeyOf(row);
    line.copied = state.copied == KeyOf(row);
    picture.lines.push_back(std::move(line));
  }
  DrawPlayedSongs(player.look.fonts, picture, *state.surface);
}

void HandlePlayedSongsInput(Player& player, const PlayedSongsInput& input) {
  PlayedSongsState& state = player.playedSongs;
  if (state.surface == nullptr) return;
  switch (input.kind) {
    case PlayedSongsInput::Kind::Click:
      if (const std::optional<size_t> row = PlayedSongRowAt(state.rows.size(), state.scrollPx, input.y)) {
        state.selected = KeyOf(state.rows[*row]);
        Copy(player, state.rows[*row]);
      }
      break;
    case PlayedSongsInput::Kind::Scroll:
      state.scrollPx = std::clamp(state.scrollPx + input.notches * kWheelStepPx, 0.0f,
                                  MaxPlayedSongsScrollPx(state.rows.size(), kPlayedSongsHeight));
      state.redraw = true;
      break;
    case PlayedSongsInput::Kind::CopySelected: {
      const auto row = std::find_if(state.rows.begin(), state.rows.end(),
                                    [&state](const HistoryRow& r) { return state.selected == KeyOf(r); });
      if (row != state.rows.end()) Copy(player, *row);
      break;
    }
  }
  StepPlayedSongs(player);
}

Text SongToCopy(const Text& nowPlaying) {
  const ArtistTitle parts = SplitNowPlaying(nowPlaying);
  const Text title = TrimSpaces(parts.title);
  if (parts.artist.empty()) return title;
  if (title.empty()) return parts.artist;
  return parts.artist + u" - " + title;
}

Text LocalClockText(int64_t unixSeconds) {
  int hour = 0, minute = 0;
  if (!LocalHourMinute(unixSeconds, hour, minute)) return u"--:--";
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
  return T(text);
}
