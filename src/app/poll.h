// SPDX-License-Identifier: GPL-3.0-or-later
// The now-playing poll: asks the stream server which song is on air and,
// when it changes, updates the cover.
#pragma once

#include <cstdint>

#include "app/player_state.h"

// However the servers answer, one poll lasts at most this long for its
// pages, and at most as long again for the cover update it starts: each
// fetch has its own bounds (nowplaying/http_get.h), and these end the
// fetches of a poll that would add up to more.
constexpr int32_t kStatusPagesBudgetMs = 30000;
constexpr int32_t kCoverUpdateBudgetMs = 30000;

// One poll: reads the title, takes a new one into currentSong and coverSong
// and updates the cover; otherwise retries the cover of coverSong as
// DecidePoll rules. Draws nothing: the next tick shows the new state. The
// budgets hold when the player has a clock (the one its HttpGetFn reads).
// The fetching runs in the background (background.h), and at most one poll
// runs at a time: while one runs, from its start until its title and any
// cover it started are applied, another starts nothing.
void PollNowPlaying(Player& player);
