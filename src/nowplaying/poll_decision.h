// SPDX-License-Identifier: GPL-3.0-or-later
// What one now-playing poll does with the title it read: the rule of new
// songs and cover retries, apart from the fetching and the updating.
#pragma once

#include <cstdint>
#include <string_view>

constexpr int32_t kCoverRetryMs = 7000;
constexpr int32_t kMaxCoverFailures = 3;

enum class PollAction {
  Nothing,     // no answer or the same song, and no cover to retry
  NewSong,     // take the title as the song on air and look its cover up
  RetryCover,  // look the cover of coverSong up again
};

// The player's state as the rule reads it.
struct CoverAttempts {
  std::u16string_view currentSong;
  std::u16string_view coverSong;
  bool coverShown = false;  // both cover pictures are there
  int32_t lastCoverAttemptMs = 0;
  int32_t coverFailCount = 0;
};

// A new, non-empty title is a new song whatever the failures so far;
// otherwise the cover of coverSong is retried while none is shown, at least
// kCoverRetryMs after the last attempt on the wrapping clock, and while fewer
// than kMaxCoverFailures updates in a row have failed.
PollAction DecidePoll(std::u16string_view title, uint32_t nowMs, const CoverAttempts& state);
