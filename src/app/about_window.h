// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/player_state.h"

constexpr int kAboutWidth = 800;
constexpr int kAboutHeight = 400;

// Draws the whole About picture on its surface (once, when it opens).
void DrawAboutWindow(Player& player, Surface& surface);
