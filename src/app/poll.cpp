// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/poll.h"

#include "app/background.h"
#include "app/changes.h"
#include "app/cover_update.h"
#include "app/played_songs.h"
#include "nowplaying/now_playing.h"
#include "nowplaying/poll_decision.h"

namespace {

void EndPoll(Player& player) { player.song.pollRunning = false; }

// What the poll does with the title it read, on the window's thread. Only
// the poll writes what DecidePoll reads, so the state is as it was when the
// poll began.
void TakeTitle(Player& player, const Text& title, uint32_t nowMs) {
  SongState& song = player.song;
  const bool coverShown = song.coverImage != nullptr && song.coverScaled != nullptr;
  switch (DecidePoll(title, nowMs,
                     {song.currentSong, song.coverSong, coverShown, song.lastCoverAttemptMs, song.coverFailCount})) {
    case PollAction::NewSong:
      song.currentSong = title;
      song.coverSong = title;
      song.lastCoverAttemptMs = int32_t(nowMs);
      MarkChanged(player, kSongChanged);
      NoteSongOnAir(player, title);
      UpdateCover(player, title, BudgetEndMs(player, kCoverUpdateBudgetMs), EndPoll);
      return;
    case PollAction::RetryCover:
      song.lastCoverAttemptMs = int32_t(nowMs);
      UpdateCover(player, song.coverSong, BudgetEndMs(player, kCoverUpdateBudgetMs), EndPoll);
      return;
    case PollAction::Nothing:
      break;
  }
  EndPoll(player);
}

}  // namespace

void PollNowPlaying(Player& player) {
  if (player.song.pollRunning) return;
  player.song.pollRunning = true;
  const uint32_t nowMs = player.clockMs ? player.clockMs() : 0;
  RunInBackground(player, Lane::Poll,
                  [httpGet = player.httpGet, serverBase = player.playback.serverBase,
                   deadlineMs = BudgetEndMs(player, kStatusPagesBudgetMs), nowMs]() -> Apply {
                    Text title = FetchNowPlaying(httpGet, serverBase, deadlineMs);
                    return [title = std::move(title), nowMs](Player& p) { TakeTitle(p, title, nowMs); };
                  });
}
