// SPDX-License-Identifier: GPL-3.0-or-later
// The painted face of the player window.
#pragma once

#include "display/surface.h"
#include "display/view_caches.h"
#include "model/player_model.h"
#include "text/title_text.h"

// Draws one complete frame from the model, as the update before it left the
// model (live flag, samples, peaks, knob), on a surface open for drawing.
// When the still parts are those of the frames before, only the moving parts
// are drawn again, over the surface's backdrop: the picture is the same to
// the pixel as one drawn from the background up.
void DrawMainView(const PlayerModel& model, MainViewCaches& caches, Surface& s);

// The title and artist the view shows for a now-playing text: its split,
// with "Titre inconnu" and "Artiste inconnu" standing in for what is missing.
ArtistTitle ShownSong(const Text& nowPlaying);
