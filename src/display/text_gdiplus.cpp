// SPDX-License-Identifier: GPL-3.0-or-later
// The text entries of the GDI+ backend: fonts and texts drawn and measured by GDI+.
#include <algorithm>
#include <cmath>
#include <string>

#include "display/gdiplus_surface.h"
#include "os/log.h"
#include "text/text.h"

using namespace Gdiplus;

namespace {

// Font sizes are points on a 96-dpi screen, whatever the display's scale:
// the surface is in pixels.
constexpr REAL kPixelsPerPoint = 96.0f / 72.0f;

// Faces to try when the named one is not installed, in order.
constexpr const wchar_t* kFallbackFaces[] = {L"Tahoma", L"Arial", L"Microsoft Sans Serif"};

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

std::unique_ptr<Font> MakeFont(const FontFace& wanted) {
  const std::u16string face = Utf8ToText(wanted.face);
  const REAL pixels = REAL(wanted.points) * kPixelsPerPoint;
  auto family = std::make_unique<FontFamily>(reinterpret_cast<const WCHAR*>(face.c_str()));
  for (const wchar_t* fallback : kFallbackFaces) {
    if (family->GetLastStatus() == Ok) break;
    LogDiagnostic("no font face %s; trying another", wanted.face.c_str());
    family = std::make_unique<FontFamily>(fallback);
  }
  if (family->GetLastStatus() != Ok) return nullptr;
  auto font = std::make_unique<Font>(family.get(), pixels, FontStyleRegular, UnitPixel);
  if (font->GetLastStatus() != Ok) return nullptr;
  return font;
}

RectF Bounds(BackendPicture* picture, const Font& font, std::u16string_view text) {
  RectF bounds;
  picture->graphics->MeasureString(Wide(text), INT(text.size()), &font, PointF(0, 0), &TextFormat(), &bounds);
  return bounds;
}

BackendText* CreateGdiplusText(BackendPicture*) { return new BackendText; }

void DestroyGdiplusText(BackendText* text) { delete text; }

int OpenGdiplusFont(BackendText* text, BackendPicture* picture, const FontFace& face, float& lineHeight) {
  std::unique_ptr<Font> made = MakeFont(face);
  if (made == nullptr) return -1;
  lineHeight = made->GetHeight(picture->graphics.get());
  text->fonts.push_back({std::move(made), lineHeight});
  return int(text->fonts.size() - 1);
}

float MeasureGdiplusText(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16) {
  return Bounds(picture, *text->fonts[size_t(font)].font, utf16).Width;
}

TextReach DrawGdiplusText(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16, float x,
                          float y, Colour colour) {
  const BackendText::FontEntry& entry = text->fonts[size_t(font)];
  const Font& f = *entry.font;
  SolidBrush brush(GdiplusColour(colour));
  picture->graphics->DrawString(Wide(utf16), INT(utf16.size()), &f, PointF(x, y), &TextFormat(), &brush);
  // Its advance widths by its line, with a margin for the ink that glyphs and
  // smoothing put beyond them.
  const RectF bounds = Bounds(picture, f, utf16);
  const float margin = 2.0f + std::ceil(entry.lineHeight / 4.0f);
  return {bounds.X - margin, bounds.Y - margin, bounds.Width + 2 * margin,
          std::max(bounds.Height, entry.lineHeight) + 2 * margin};
}

}  // namespace

const TextBackend& GdiplusText() {
  static const TextBackend kGdiplusText = {
      .create = CreateGdiplusText,
      .destroy = DestroyGdiplusText,
      .openFont = OpenGdiplusFont,
      .measure = MeasureGdiplusText,
      .draw = DrawGdiplusText,
  };
  return kGdiplusText;
}
