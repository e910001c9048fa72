// SPDX-License-Identifier: GPL-3.0-or-later
// The text entries of the GDI+ backend: fonts and texts drawn and measured by GDI+.
#include <algorithm>
#include <cmath>
#include <string>

#include "display/gdiplus_surface.h"

using namespace Gdiplus;

namespace {

// Font sizes are points on a 96-dpi screen, whatever the display's scale:
// the surface is in pixels.
constexpr REAL kPixelsPerPoint = 96.0f / 72.0f;

const WCHAR* Wide(std::u16string_view text) { return reinterpret_cast<const WCHAR*>(text.data()); }

// Measures and draws by advance widths and line boxes: the typographic
// format leaves out the padding GDI+ otherwise adds around a string, and
// trailing spaces count as a text editor would count them.
const StringFormat& TextFormat() {
  static StringFormat* format = [] {
    StringFormat* made = StringFormat::GenericTypographic()->Clone();
    made->SetFormatFlags(made->GetFormatFlags() | StringFormatFlagsMeasureTrailingSpaces | StringFormatFlagsNoWrap);
    return made;
  }();
  return *format;
}

std::unique_ptr<Font> MakeFont(const FontFamily* family, REAL pixels) {
  if (family == nullptr) return nullptr;
  auto font = std::make_unique<Font>(family, pixels, FontStyleRegular, UnitPixel);
  if (font->GetLastStatus() != Ok) return nullptr;
  return font;
}

// From the top of the line box to the baseline, in pixels.
REAL Ascent(const Font& font) {
  FontFamily family;
  font.GetFamily(&family);
  const UINT16 em = family.GetEmHeight(FontStyleRegular);
  return em == 0 ? 0 : font.GetSize() * REAL(family.GetCellAscent(FontStyleRegular)) / REAL(em);
}

// The font that draws `text`, and how far down to move it.
const Font& FontFor(const BackendText::FontEntry& entry, std::u16string_view text, REAL& dy) {
  for (const auto& substitute : entry.substitutes) {
    if (substitute.text == text) {
      dy = substitute.baselineDy;
      return *substitute.font;
    }
  }
  dy = 0;
  return *entry.font;
}

// Measured at scale 1, whatever the scale of the picture drawn on.
RectF Bounds(BackendText* text, const Font& font, std::u16string_view utf16) {
  RectF bounds;
  text->measuring->graphics->MeasureString(Wide(utf16), INT(utf16.size()), &font, PointF(0, 0), &TextFormat(),
                                           &bounds);
  return bounds;
}

BackendText* CreateGdiplusText(BackendPicture*) {
  auto text = std::make_unique<BackendText>();
  text->measuring.reset(CreateGdiplusPicture(1, 1, 1));
  return text->measuring != nullptr ? text.release() : nullptr;
}

void DestroyGdiplusText(BackendText* text) { delete text; }

int OpenGdiplusFont(BackendText* text, BackendPicture*, const FontFace& face, float& lineHeight) {
  std::unique_ptr<Font> made = MakeFont(ChooseFontFamily(face.face), REAL(face.points) * kPixelsPerPoint);
  if (made == nullptr) return -1;
  lineHeight = made->GetHeight(text->measuring->graphics.get());
  text->fonts.push_back({std::move(made), lineHeight, {}});
  return int(text->fonts.size() - 1);
}

float MeasureGdiplusText(BackendText* text, BackendPicture*, int font, std::u16string_view utf16) {
  REAL dy = 0;
  return Bounds(text, FontFor(text->fonts[size_t(font)], utf16, dy), utf16).Width;
}

TextReach DrawGdiplusText(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16, float x,
                          float y, Colour colour) {
  const BackendText::FontEntry& entry = text->fonts[size_t(font)];
  REAL dy = 0;
  const Font& f = FontFor(entry, utf16, dy);
  SolidBrush brush(GdiplusColour(colour));
  picture->graphics->DrawString(Wide(utf16), INT(utf16.size()), &f, PointF(x, y + dy), &TextFormat(), &brush);
  // Its advance widths by its line, with a margin for the ink that glyphs and
  // smoothing put beyond them.
  const RectF bounds = Bounds(text, f, utf16);
  const float margin = 2.0f + std::ceil(std::max(entry.lineHeight, bounds.Height) / 4.0f);
  return {bounds.X - margin, bounds.Y + dy - margin, bounds.Width + 2 * margin,
          std::max(bounds.Height, entry.lineHeight) + 2 * margin};
}

// The text's own font first, then each symbol font, which then draws this text.
bool GdiplusHasGlyphs(BackendText* text, BackendPicture*, int font, std::u16string_view utf16) {
  BackendText::FontEntry& entry = text->fonts[size_t(font)];
  if (DrawsGlyphs(*entry.font, utf16)) return true;
  for (const auto& family : SymbolFamilies()) {
    std::unique_ptr<Font> symbols = MakeFont(family.get(), entry.font->GetSize());
    if (symbols == nullptr || !DrawsGlyphs(*symbols, utf16)) continue;
    const REAL dy = Ascent(*entry.font) - Ascent(*symbols);
    entry.substitutes.push_back({std::u16string(utf16), std::move(symbols), dy});
    return true;
  }
  return false;
}

}  // namespace

const TextBackend& GdiplusText() {
  static const TextBackend kGdiplusText = {
      .create = CreateGdiplusText,
      .destroy = DestroyGdiplusText,
      .openFont = OpenGdiplusFont,
      .measure = MeasureGdiplusText,
      .draw = DrawGdiplusText,
      .hasGlyphs = GdiplusHasGlyphs,
  };
  return kGdiplusText;
}
