// SPDX-License-Identifier: GPL-3.0-or-later
// The small painted controls of the main view: the LIVE/OFF badge and the
// round play and stop buttons.
#pragma once

#include <cstdint>

#include "display/surface.h"
#include "model/player_model.h"

// The badge: an ellipse with "OFF", or "LIVE" and a red dot pulsing with
// `pulsePhase`. Leaves the surface in the transparent-text mode.
void DrawLiveBadge(const Fonts& fonts, float pulsePhase, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h,
                   bool live);
// Its two halves: the ellipse, which stays, and what it says, which moves.
void DrawLiveBadgeBox(Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
void DrawLiveBadgeSignal(const Fonts& fonts, float pulsePhase, Surface& s, int32_t x, int32_t y, int32_t h, bool live);

// Radius of the badge's dot at a phase: 6 at 0 and 1, 10 at 0.5.
int LiveDotRadius(float pulsePhase);

// A round button (blue when primary, grey otherwise) with its glyph centred.
// Leaves the surface in the transparent-text mode.
void DrawRoundButton(const Fonts& fonts, Surface& s, int32_t x, int32_t y, int32_t size, bool primary,
                     std::u16string_view glyph);

// Shadow, face, glow and gloss of a round button, blended; ends in the opaque mode.
void DrawButtonFace(Surface& s, int32_t x, int32_t y, int32_t size, Colour colour, uint8_t glossAlpha);

// The ring around the control the keyboard moved to: a two-pixel frame
// clear of the control's glow, shadow and knob, and of the moving parts.
// Nothing for NoControl.
void DrawFocusRing(const Layout& layout, Control control, Surface& s);
