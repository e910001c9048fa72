// SPDX-License-Identifier: GPL-3.0-or-later
// The text entries of the Cairo backend: fonts and texts laid out by Pango.
#include <pango/pangocairo.h>

#include "display/cairo_surface.h"

namespace {

constexpr double kDpi = 96.0;  // so that font sizes in points map to pixels as on the reference screen
constexpr size_t kMaxCachedLayouts = 24;
// Hinting and anti-aliasing may reach a pixel past the ink.
constexpr int kInkMargin = 2;

PangoLayout* NewLayout(BackendText& t, const PangoFontDescription* description) {
  PangoLayout* layout = pango_layout_new(t.pango);
  pango_layout_set_font_description(layout, description);
  return layout;
}

void SetLayoutText(PangoLayout* layout, std::u16string_view text) {
  const std::string utf8 = TextToUtf8(text);  // Pango wants UTF-8; the player keeps UTF-16
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
}

BackendText::CachedLayout* FindCached(BackendText& t, int font, std::u16string_view text) {
  for (auto& cached : t.layouts) {
    if (cached.font == font && cached.text == text) {
      cached.lastUse = ++t.useCount;
      return &cached;
    }
  }
  return nullptr;
}

// The layout that draws `text` in `font`: kept from an earlier frame when
// possible, else a new one or the least recently used one.
PangoLayout* LayoutToDraw(BackendText& t, int font, std::u16string_view text) {
  if (BackendText::CachedLayout* cached = FindCached(t, font, text)) return cached->layout;
  const PangoFontDescription* description = t.fonts[size_t(font)].description;
  BackendText::CachedLayout* slot = nullptr;
  if (t.layouts.size() < kMaxCachedLayouts) {
    t.layouts.push_back({font, Text(), NewLayout(t, description), 0});
    slot = &t.layouts.back();
  } else {
    slot = &t.layouts.front();
    for (auto& cached : t.layouts) {
      if (cached.lastUse < slot->lastUse) slot = &cached;
    }
    pango_layout_set_font_description(slot->layout, description);
    slot->font = font;
  }
  slot->text.assign(text);
  slot->lastUse = ++t.useCount;
  SetLayoutText(slot->layout, text);
  return slot->layout;
}

// A layout that holds `text` for measuring only: a drawn one if it exists,
// so measuring does not push drawn texts out of the cache.
PangoLayout* LayoutToMeasure(BackendText& t, int font, std::u16string_view text) {
  if (BackendText::CachedLayout* cached = FindCached(t, font, text)) return cached->layout;
  PangoLayout* scratch = t.fonts[size_t(font)].scratch;
  SetLayoutText(scratch, text);
  return scratch;
}

BackendText* CreatePangoText(BackendPicture* picture) {
  auto* t = new BackendText;
  t->pango = pango_cairo_create_context(picture->cr);
  pango_cairo_context_set_resolution(t->pango, kDpi);
  return t;
}

void DestroyPangoText(BackendText* t) {
  for (auto& cached : t->layouts) g_object_unref(cached.layout);
  for (auto& entry : t->fonts) {
    g_object_unref(entry.scratch);
    pango_font_description_free(entry.description);
  }
  g_object_unref(t->pango);
  delete t;
}

int OpenPangoFont(BackendText* t, BackendPicture*, const FontFace& face, float& lineHeight) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, face.face.c_str());
  pango_font_description_set_size(description, face.points * PANGO_SCALE);
  PangoLayout* scratch = NewLayout(*t, description);
  PangoRectangle logical;
  pango_layout_get_extents(scratch, nullptr, &logical);  // an empty layout still has one line
  lineHeight = float(logical.height) / PANGO_SCALE;
  t->fonts.push_back({description, scratch});
  return int(t->fonts.size() - 1);
}

float MeasurePangoText(BackendText* t, BackendPicture*, int font, std::u16string_view text) {
  PangoRectangle logical;
  pango_layout_get_extents(LayoutToMeasure(*t, font, text), nullptr, &logical);
  return float(logical.width) / PANGO_SCALE;
}

// Pango looks for every character in the fonts fontconfig offers; what none
// of them has is drawn as a box with its code, an unknown glyph.
bool PangoHasGlyphs(BackendText* t, BackendPicture*, int font, std::u16string_view text) {
  return pango_layout_get_unknown_glyphs_count(LayoutToMeasure(*t, font, text)) == 0;
}

TextReach DrawPangoText(BackendText* t, BackendPicture* picture, int font, std::u16string_view text, float x,
                        float y, Colour colour) {
  PangoLayout* layout = LayoutToDraw(*t, font, text);
  SetSource(picture->cr, colour);
  cairo_move_to(picture->cr, x, y);
  pango_cairo_show_layout(picture->cr, layout);
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  return {float(ink.x - kInkMargin), float(ink.y - kInkMargin), float(ink.width + 2 * kInkMargin + 1),
          float(ink.height + 2 * kInkMargin + 1)};
}

}  // namespace

const TextBackend& PangoText() {
  static const TextBackend kPangoText = {
      .create = CreatePangoText,
      .destroy = DestroyPangoText,
      .openFont = OpenPangoFont,
      .measure = MeasurePangoText,
      .draw = DrawPangoText,
      .hasGlyphs = PangoHasGlyphs,
  };
  return kPangoText;
}
