// The now-playing poll: asks the stream server which song is on air and,
// when it changes, starts the cover update.
#pragma once

#include "app/player_state.h"

void PollNowPlaying(Player& player);
