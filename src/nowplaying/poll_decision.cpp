// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/poll_decision.h"

PollAction DecidePoll(std::u16string_view title, uint32_t nowMs, const CoverAttempts& state) {
  if (!title.empty() && title != state.currentSong) return PollAction::NewSong;
  // The clock wraps after about 49 days: only the signed difference counts.
  const int32_t sinceAttemptMs = int32_t(nowMs - uint32_t(state.lastCoverAttemptMs));
  if (!state.coverShown && !state.coverSong.empty() && sinceAttemptMs >= kCoverRetryMs &&
      state.coverFailCount < kMaxCoverFailures) {
    return PollAction::RetryCover;
  }
  return PollAction::Nothing;
}
