#include "app/fonts.h"

#include <pango/pango.h>

namespace {

Font LoadFont(int points) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, "Segoe UI");
  pango_font_description_set_size(font, points * PANGO_SCALE);
  return font;
}

void FreeFont(Font& font) {
  if (font != nullptr) pango_font_description_free(font);
  font = nullptr;
}

}  // namespace

void LoadFonts(Fonts& fonts) {
  fonts.fontSmall = LoadFont(10);
  fonts.fontLabel = LoadFont(12);
  fonts.fontAbout = LoadFont(10);
  fonts.fontArtist = LoadFont(12);
  fonts.fontTitle = LoadFont(18);
  fonts.fontStopGlyph = LoadFont(22);
  fonts.fontPlayGlyph = LoadFont(26);
}

void FreeFonts(Fonts& fonts) {
  FreeFont(fonts.fontSmall);
  FreeFont(fonts.fontLabel);
  FreeFont(fonts.fontAbout);
  FreeFont(fonts.fontArtist);
  FreeFont(fonts.fontTitle);
  FreeFont(fonts.fontStopGlyph);
  FreeFont(fonts.fontPlayGlyph);
}
