// The painted face of the player window.
#pragma once

#include "app/player_state.h"

// Draws one complete frame on the main surface from the player state.
void RenderMainView(Player& player);
