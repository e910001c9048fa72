// The now-playing poll: asks the stream server which song is on air and,
// when it changes, starts the cover update.
#pragma once

#include "app/player_state.h"

// One poll: reads the title, takes a new one into currentSong and coverSong
// and updates the cover; otherwise retries the cover of coverSong while none
// is shown, at least kCoverRetryMs apart and while fewer than
// kMaxCoverFailures updates in a row have failed.
void PollNowPlaying(Player& player);

// The title on air: the statistics page first, the status pages second.
// Empty when neither gives one.
Text FetchNowPlaying(const Player& player, const Text& serverBase);

// "songtitle" or "song" of serverBase + "/stats?json=1", at its root or in
// its first "streams" element; cleaned.
Text FetchStatsTitle(const Player& player, const Text& serverBase);

// The sixth comma-separated field of "/7.html" (then "/7.html?sid=1"), or
// the StreamTitle='…'; tag of the last page read; cleaned.
Text FetchStatusPageTitle(const Player& player, const Text& serverBase);

// CR LF pairs and tabs become spaces; spaces are trimmed at both ends.
Text CleanTitle(const Text& text);

constexpr int32_t kCoverRetryMs = 7000;
constexpr int32_t kMaxCoverFailures = 3;
