// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts and text on the surface, laid out by Pango.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "display/cairo_surface.h"

namespace {

constexpr size_t kMaxCachedLayouts = 24;

PangoLayout* NewLayout(Surface& s, const PangoFontDescription* description) {
  PangoLayout* layout = pango_layout_new(s.pango);
  pango_layout_set_font_description(layout, description);
  return layout;
}

void SetLayoutText(PangoLayout* layout, std::u16string_view text) {
  const std::string utf8 = TextToUtf8(text);  // Pango wants UTF-8; the player keeps UTF-16
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
}

// The entry of `font`, made the first time the font is selected.
int FontIndex(Surface& s, const FontFace& font) {
  for (size_t i = 0; i < s.fonts.size(); ++i) {
    if (s.fonts[i].face == font) return int(i);
  }
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, font.face.c_str());
  pango_font_description_set_size(description, font.points * PANGO_SCALE);
  PangoLayout* scratch = NewLayout(s, description);
  PangoRectangle logical;
  pango_layout_get_extents(scratch, nullptr, &logical);  // an empty layout still has one line
  s.fonts.push_back({font, description, scratch, float(logical.height) / PANGO_SCALE});
  return int(s.fonts.size() - 1);
}

Surface::CachedLayout* FindCached(Surface& s, std::u16string_view text) {
  for (auto& cached : s.layouts) {
    if (cached.font == s.font && cached.text == text) {
      cached.lastUse = ++s.useCount;
      return &cached;
    }
  }
  return nullptr;
}

// The layout that draws `text` in the selected font: kept from an earlier
// frame when possible, else a new one or the least recently used one.
PangoLayout* LayoutToDraw(Surface& s, std::u16string_view text) {
  if (s.font < 0) return nullptr;
  if (Surface::CachedLayout* cached = FindCached(s, text)) return cached->layout;
  const PangoFontDescription* description = s.fonts[size_t(s.font)].description;
  Surface::CachedLayout* slot = nullptr;
  if (s.layouts.size() < kMaxCachedLayouts) {
    s.layouts.push_back({s.font, Text(), NewLayout(s, description), 0});
    slot = &s.layouts.back();
  } else {
    slot = &s.layouts.front();
    for (auto& cached : s.layouts) {
      if (cached.lastUse < slot->lastUse) slot = &cached;
    }
    pango_layout_set_font_description(slot->layout, description);
    slot->font = s.font;
  }
  slot->text.assign(text);
  slot->lastUse = ++s.useCount;
  SetLayoutText(slot->layout, text);
  return slot->layout;
}

// A layout that holds `text` for measuring only: a drawn one if it exists,
// so measuring does not push drawn texts out of the cache.
PangoLayout* LayoutToMeasure(Surface& s, std::u16string_view text) {
  if (s.font < 0) return nullptr;
  if (Surface::CachedLayout* cached = FindCached(s, text)) return cached->layout;
  PangoLayout* scratch = s.fonts[size_t(s.font)].scratch;
  SetLayoutText(scratch, text);
  return scratch;
}

}  // namespace

void SelectFont(Surface& s, const FontFace& font) { s.font = font.points > 0 ? FontIndex(s, font) : -1; }

const FontFace& SelectedFont(const Surface& s) {
  static const FontFace kNone;
  return s.font < 0 ? kNone : s.fonts[size_t(s.font)].face;
}

void ReleaseTextObjects(Surface& s) {
  for (auto& cached : s.layouts) g_object_unref(cached.layout);
  for (auto& entry : s.fonts) {
    g_object_unref(entry.scratch);
    pango_font_description_free(entry.description);
  }
  s.layouts.clear();
  s.fonts.clear();
  s.font = -1;
}

void DrawText(Surface& s, std::u16string_view text, float x, float y, Colour colour) {
  if (s.recording) {
    Record(s, DrawOp::Kind::Text, colour, 0, 0, 0, 0);
    s.recording->back().textX = x;
    s.recording->back().textY = y;
    s.recording->back().text = TextToUtf8(text);
  }
  if (text.empty()) return;
  PangoLayout* layout = LayoutToDraw(s, text);
  if (layout == nullptr) return;
  // The ink with a margin: hinting and anti-aliasing may reach a pixel past it.
  constexpr int kInkMargin = 2;
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  if (std::isfinite(x) && std::isfinite(y)) {
    const double left = std::clamp(std::floor(double(x)) + ink.x - kInkMargin, -1e6, 1e6);
    const double top = std::clamp(std::floor(double(y)) + ink.y - kInkMargin, -1e6, 1e6);
    Touch(s, int(left), int(top), ink.width + 2 * kInkMargin + 1, ink.height + 2 * kInkMargin + 1);
  } else {
    Touch(s, 0, 0, s.width, s.height);  // wherever Cairo puts it
  }
  SetSource(s, colour);
  cairo_move_to(s.cr, x, y);
  pango_cairo_show_layout(s.cr, layout);
}

float TextWidth(Surface& s, std::u16string_view text) {
  if (text.empty()) return 0.0f;
  PangoLayout* layout = LayoutToMeasure(s, text);
  if (layout == nullptr) return 0.0f;
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return float(logical.width) / PANGO_SCALE;
}

float LineHeight(Surface& s) { return s.font < 0 ? 0.0f : s.fonts[size_t(s.font)].lineHeight; }
