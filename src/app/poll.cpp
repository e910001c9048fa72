// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/poll.h"

#include "app/cover_update.h"
#include "nowplaying/now_playing.h"
#include "nowplaying/poll_decision.h"

namespace {

// The end of a budget that starts now, on the player's clock; none without one.
std::optional<uint32_t> BudgetEndMs(const Player& player, int32_t budgetMs) {
  if (!player.clockMs) return std::nullopt;
  return player.clockMs() + uint32_t(budgetMs);
}

}  // namespace

void PollNowPlaying(Player& player) {
  const uint32_t nowMs = player.clockMs ? player.clockMs() : 0;
  const Text title = FetchNowPlaying(player.httpGet, player.serverBase, BudgetEndMs(player, kStatusPagesBudgetMs));
  const bool coverShown = player.coverImage != nullptr && player.coverScaled != nullptr;
  switch (DecidePoll(title, nowMs,
                     {player.currentSong, player.coverSong, coverShown, player.lastCoverAttemptMs, player.coverFailCount})) {
    case PollAction::NewSong:
      player.currentSong = title;
      player.coverSong = title;
      player.lastCoverAttemptMs = int32_t(nowMs);
      UpdateCover(player, title, BudgetEndMs(player, kCoverUpdateBudgetMs));
      break;
    case PollAction::RetryCover: {
      player.lastCoverAttemptMs = int32_t(nowMs);
      const Text retry = player.coverSong;
      UpdateCover(player, retry, BudgetEndMs(player, kCoverUpdateBudgetMs));
      break;
    }
    case PollAction::Nothing:
      break;
  }
}
