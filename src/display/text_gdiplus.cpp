// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts and text on the surface, drawn and measured by GDI+.
#include <algorithm>
#include <cmath>
#include <string>

#include "display/gdiplus_surface.h"
#include "os/log.h"

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

// The entry of `font`, made the first time the font is selected; -1 when
// no face at all can be had.
int FontIndex(Surface& s, const FontFace& font) {
  for (size_t i = 0; i < s.fonts.size(); ++i) {
    if (s.fonts[i].face == font) return int(i);
  }
  std::unique_ptr<Font> made = MakeFont(font);
  if (made == nullptr) return -1;
  const float lineHeight = made->GetHeight(s.graphics.get());
  s.fonts.push_back({font, std::move(made), lineHeight});
  return int(s.fonts.size() - 1);
}

// Counts the text's box as touched: its advance widths by its line, with a
// margin for the ink that glyphs and smoothing put beyond them.
void TouchText(Surface& s, const Surface::FontEntry& font, std::u16string_view text, float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    Touch(s, 0, 0, s.width, s.height);  // wherever GDI+ puts it
    return;
  }
  RectF bounds;
  s.graphics->MeasureString(Wide(text), INT(text.size()), font.font.get(), PointF(x, y), &TextFormat(), &bounds);
  const double margin = 2.0 + std::ceil(font.lineHeight / 4.0);
  auto pixel = [](double value) { return int(std::clamp(value, -1e6, 1e6)); };  // far texts touch nothing
  const int left = pixel(std::floor(bounds.X - margin)), top = pixel(std::floor(bounds.Y - margin));
  const int right = pixel(std::ceil(bounds.X + bounds.Width + margin));
  const int bottom = pixel(std::ceil(bounds.Y + std::max(bounds.Height, font.lineHeight) + margin));
  Touch(s, left, top, right - left, bottom - top);
}

}  // namespace

void SelectFont(Surface& s, const FontFace& font) { s.font = font.points > 0 ? FontIndex(s, font) : -1; }

const FontFace& SelectedFont(const Surface& s) {
  static const FontFace kNone;
  return s.font < 0 ? kNone : s.fonts[size_t(s.font)].face;
}

void ReleaseTextObjects(Surface& s) {
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
  if (text.empty() || s.font < 0) return;
  const Surface::FontEntry& font = s.fonts[size_t(s.font)];
  TouchText(s, font, text, x, y);
  SolidBrush brush(FillColour(s, colour));
  s.graphics->DrawString(Wide(text), INT(text.size()), font.font.get(), PointF(x, y), &TextFormat(), &brush);
}

float TextWidth(Surface& s, std::u16string_view text) {
  if (text.empty() || s.font < 0) return 0.0f;
  RectF bounds;
  s.graphics->MeasureString(Wide(text), INT(text.size()), s.fonts[size_t(s.font)].font.get(), PointF(0, 0),
                            &TextFormat(), &bounds);
  return bounds.Width;
}

float LineHeight(Surface& s) { return s.font < 0 ? 0.0f : s.fonts[size_t(s.font)].lineHeight; }
