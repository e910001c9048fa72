// The painted face of the player window.
#pragma once

#include "display/surface.h"
#include "display/view_caches.h"
#include "model/player_model.h"

// Draws one complete frame from the model, as the update before it left the
// model (live flag, samples, peaks, knob), on a surface open for drawing.
void DrawMainView(const PlayerModel& model, MainViewCaches& caches, Surface& s);
