// SPDX-License-Identifier: GPL-3.0-or-later
// What the painted main view says to a screen reader: in words, what a
// sighted listener sees on it. The window is one drawing surface with no
// widgets inside, so this is all a screen reader can know of it.
#pragma once

#include "model/player_model.h"
#include "text/text.h"

struct SpokenView {
  Text name;         // "Orvelle Player, <title>, <artist>, en direct" (or "arrêté")
  Text description;  // the same with their labels, and the volume
};

// From the state the last frame showed: its song lines (stand-ins included),
// its badge and its knob.
SpokenView DescribeMainView(const SongState& song, const PlaybackState& playback);
