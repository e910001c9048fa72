// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the cover of the song on air: lookup, download and decoding on the
// player's worker, then the swap on the window's thread.
#pragma once

#include <cstdint>
#include <optional>

#include "app/background.h"
#include "app/player_state.h"

// Looks up, downloads and shows the cover of `nowPlaying`. On success the two
// cover images are replaced and coverFailCount is 0; on failure both images
// stay (an older song's cover included) and coverFailCount grows by one. A
// text that splits into an empty artist and title does nothing at all. Every
// fetch is to be over by `deadlineMs`, on the player's clock, when given.
// The fetching runs in the background (background.h); `then` runs on this
// thread right after the result is applied, or at once when there is nothing
// to look up.
void UpdateCover(Player& player, const Text& nowPlaying, std::optional<uint32_t> deadlineMs = {}, Apply then = {});
