// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_window.h"

#include "display/gradient.h"
#include "text/url.h"

void DrawAboutWindow(Player& player, Surface& s) {
  if (!BeginDrawing(s)) return;
  const int w = SurfaceWidth(s), h = SurfaceHeight(s);
  DrawVerticalGradient(s, 0, 0, w, h, Rgb(10, 20, 45), Rgb(3, 10, 20));

  if (player.logoImage != nullptr) {
    DrawPictureStretched(s, *player.logoImage, 42, 42, 256, 256);
  } else {
    // Stand-in disc; its colour carries alpha 230 but is drawn without blending.
    FillCircle(s, 80, 80, 38, Rgba(60, 140, 255, 230));
  }

  SetDrawMode(s, DrawMode::TransparentText);
  const Fonts& f = player.fonts;
  SelectFont(s, f.fontTitle);
  DrawText(s, u"Orvelle Player", 320, 50, Rgb(235, 242, 255));
  SelectFont(s, f.fontAbout);
  DrawText(s, u"Logiciel offert gratuitement par " + SplitUrl(T(player.config.stationSiteUrl)).host + u" à ses auditeurs.",
           320, 100, Rgb(210, 220, 235));
  SelectFont(s, f.fontLabel);
  DrawText(s, u"Le Player Orvelle utilise:", 320, 160, Rgb(200, 210, 225));
  DrawText(s, u"\u2022 Librarie BASS", 320, 200, Rgb(200, 210, 225));
  DrawText(s, u"\u2022 API Deezer pour les pochettes", 320, 240, Rgb(200, 210, 225));
  SelectFont(s, f.fontSmall);
  DrawText(s, u"© 2026 Radio Orvelle. Tous droits réservés.", 40, float(h - 40), Rgb(170, 180, 200));
  EndDrawing(s);
}
