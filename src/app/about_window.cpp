// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_window.h"

#include "app/player_state.h"
#include "display/gradient.h"
#include "text/url.h"

namespace {

void DrawAbout(const Player& player, Surface& s) { DrawAboutWindow(player.look, player.config.stationSiteUrl, s); }

}  // namespace

const SideWindow kAboutSideWindow{kAboutWindow, DrawAbout};

Text AboutLineText(const AboutLine& line, const Text& host) {
  if (line.textAfterHost == nullptr) return line.text;
  return line.text + host + line.textAfterHost;
}

void DrawAboutWindow(const Look& look, const std::string& stationSiteUrl, Surface& s) {
  if (!BeginDrawing(s)) return;
  const int w = SurfaceWidth(s), h = SurfaceHeight(s);
  DrawVerticalGradient(s, 0, 0, w, h, kAboutGradientTop, kAboutGradientBottom);

  if (look.logoImage != nullptr) {
    DrawPictureStretched(s, *look.logoImage, kAboutLogoX, kAboutLogoY, kAboutLogoSize, kAboutLogoSize);
  } else {
    FillCircle(s, kAboutDiscX, kAboutDiscY, kAboutDiscRadius, kAboutDisc);
  }

  SetDrawMode(s, DrawMode::TransparentText);
  const Text host = SplitUrl(T(stationSiteUrl)).host;
  for (const AboutLine& line : kAboutLines) {
    SelectFont(s, look.fonts.*line.font);
    DrawText(s, AboutLineText(line, host), line.x, line.y < 0 ? float(h) + line.y : line.y, line.colour);
  }
  EndDrawing(s);
}
