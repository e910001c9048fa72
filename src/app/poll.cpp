// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/poll.h"

#include "app/background.h"
#include "app/cover_update.h"
#include "app/played_songs.h"
#include "nowplaying/now_playing.h"
#include "nowplaying/poll_decision.h"

namespace {

// The end of a budget that starts now, on the player's clock; none without one.
std::optional<uint32_t> BudgetEndMs(const Player& player, int32_t budgetMs) {
  if (!player.clockMs) return std::nullopt;
  return player.clockMs() + uint32_t(budgetMs);
}

void EndPoll(Player& player) { player.pollRunning = false; }

// What the poll does with the title it read, on the window's thread. Only
// the poll writes what DecidePoll reads, so the state is as it was when the
// poll began.
void TakeTitle(Player& player, const Text& title, uint32_t nowMs) {
  const bool coverShown = player.coverImage != nullptr && player.coverScaled != nullptr;
  switch (DecidePoll(title, nowMs,
                     {player.currentSong, player.coverSong, coverShown, player.lastCoverAttemptMs, player.coverFailCount})) {
    case PollAction::NewSong:
      player.currentSong = title;
      player.coverSong = title;
      player.lastCoverAttemptMs = int32_t(nowMs);
      NoteSongOnAir(player, title);
      UpdateCover(player, title, BudgetEndMs(player, kCoverUpdateBudgetMs), EndPoll);
      return;
    case PollAction::RetryCover:
      player.lastCoverAttemptMs = int32_t(nowMs);
      UpdateCover(player, player.coverSong, BudgetEndMs(player, kCoverUpdateBudgetMs), EndPoll);
      return;
    case PollAction::Nothing:
      break;
  }
  EndPoll(player);
}

}  // namespace

void PollNowPlaying(Player& player) {
  if (player.pollRunning) return;
  player.pollRunning = true;
  const uint32_t nowMs = player.clockMs ? player.clockMs() : 0;
  RunInBackground(player, Lane::Poll,
                  [httpGet = player.httpGet, serverBase = player.serverBase,
                   deadlineMs = BudgetEndMs(player, kStatusPagesBudgetMs), nowMs]() -> Apply {
                    Text title = FetchNowPlaying(httpGet, serverBase, deadlineMs);
                    return [title = std::move(title), nowMs](Player& p) { TakeTitle(p, title, nowMs); };
                  });
}
