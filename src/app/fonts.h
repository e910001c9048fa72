#pragma once

#include "app/player_state.h"

// Loads the seven fonts, all "Segoe UI" regular at their point sizes. Where
// the face is missing, fontconfig picks its fallback (Noto Sans on Debian).
void LoadFonts(Fonts& fonts);
// Releases the font descriptions (at the very end of the run).
void FreeFonts(Fonts& fonts);
