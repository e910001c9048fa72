// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the logo, the product's name, the free offer, the
// outside services the player uses and the copyright line.
#pragma once

#include <string>

#include "app/window_description.h"
#include "display/surface.h"
#include "model/player_model.h"

// Its place in the window description; drawn once when it opens.
extern const SideWindow kAboutSideWindow;

// The picture's parts, each drawn by DrawAboutWindow from here.
inline constexpr Colour kAboutGradientTop = Rgb(10, 20, 45);
inline constexpr Colour kAboutGradientBottom = Rgb(3, 10, 20);
// The logo, stretched to this box; the disc that stands in for it without
// blending (its colour carries alpha 230).
inline constexpr int kAboutLogoX = 42, kAboutLogoY = 42, kAboutLogoSize = 256;
inline constexpr int kAboutDiscX = 80, kAboutDiscY = 80, kAboutDiscRadius = 38;
inline constexpr Colour kAboutDisc = Rgba(60, 140, 255, 230);

// One line of text, its top-left corner at (x, y); y below 0 counts up from
// the bottom edge. The offer line (`offer`) is its text, the station's host,
// then `textAfterHost`.
struct AboutLine {
  FontFace Fonts::*font;
  float x, y;
  Colour colour;
  const char16_t* text;
  const char16_t* textAfterHost = nullptr;
};
inline constexpr AboutLine kAboutLines[] = {
    {&Fonts::fontTitle, 320, 50, Rgb(235, 242, 255), u"Orvelle Player"},
    {&Fonts::fontAbout, 320, 100, Rgb(210, 220, 235), u"Logiciel offert gratuitement par ", u" \u00E0 ses auditeurs."},
    {&Fonts::fontLabel, 320, 160, Rgb(200, 210, 225), u"Le Player Orvelle utilise:"},
    {&Fonts::fontLabel, 320, 200, Rgb(200, 210, 225), u"\u2022 Librarie BASS"},
    {&Fonts::fontLabel, 320, 240, Rgb(200, 210, 225), u"\u2022 API Deezer pour les pochettes"},
    {&Fonts::fontSmall, 40, -40, Rgb(170, 180, 200), u"\u00A9 2026 Radio Orvelle. Tous droits r\u00E9serv\u00E9s."},
};

// The text of a line as drawn, for a station site of that host.
Text AboutLineText(const AboutLine& line, const Text& host);

// Draws the whole About picture on its surface, the offer naming the host
// of `stationSiteUrl`.
void DrawAboutWindow(const Look& look, const std::string& stationSiteUrl, Surface& surface);
