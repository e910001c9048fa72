// SPDX-License-Identifier: GPL-3.0-or-later
// The surface's front: every rule of drawing, once, whatever draws the
// pixels. Each operation rounds, records for a test, applies the mode and
// clips here, counts what it touches, then hands the pixel work to the
// backend's table (surface_backend.h) or, where the backend leaves an entry
// out, does it in the picture's memory itself.
#include "display/surface.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "display/surface_backend.h"
#include "display/surface_changes.h"
#include "display/surface_pixels.h"
#include "display/symbol_standins.h"
#include "text/text.h"

struct Surface {
  const SurfaceBackend* backend = nullptr;  // outlives the surface
  int width = 0;  // in surface pixels
  int height = 0;
  float scale = 1;        // device pixels per surface pixel, each way, of the picture
  float wantedScale = 1;  // what the next BeginDrawing makes the picture at
  BackendPicture* picture = nullptr;
  BackendText* text = nullptr;
  bool drawing = false;  // between BeginDrawing and EndDrawing
  DrawMode mode = DrawMode::Opaque;
  // Each font selected so far, with the backend's handle for it (-1: the
  // backend has none, and is not asked again).
  struct FontSlot {
    FontFace face;
    int handle;
    float lineHeight;
    std::vector<std::pair<Text, bool>> drawsGlyphs;  // the backend's answer, per symbol asked about
  };
  std::vector<FontSlot> fonts;
  int font = -1;  // the selected slot; -1: none
  std::vector<DrawOp>* recording = nullptr;  // tests only
  PresentFn present;
  SurfaceChanges changes;

  // A second picture of the same size and scale, made when first drawn on.
  // While it is drawn on, it and the picture change places, so every
  // operation draws on `picture`.
  BackendPicture* backdrop = nullptr;
  bool backdropDrawn = false;  // at the current scale
  bool onBackdrop = false;
  struct Saved {
    DrawMode mode;
    int font;
    std::vector<DrawOp>* recording;
  } beforeBackdrop{};
};

namespace {

// Points to pixels as both backends map them: 96 pixels to the inch.
constexpr float kPixelsPerPoint = 96.0f / 72.0f;

PixelTarget Target(Surface& s) {
  const PictureMemory memory = s.backend->memory(s.picture);
  return {memory.data, memory.stride, s.width, s.height, s.scale};
}

// The colour as the backend draws it: its alpha counts in the alpha-blend mode only.
Colour Shown(const Surface& s, Colour c) {
  return s.mode == DrawMode::AlphaBlend ? c : Rgba(RedOf(c), GreenOf(c), BlueOf(c), 255);
}

void Record(Surface& s, DrawOp::Kind kind, Colour colour, int x, int y, int w, int h, int rx = 0, int ry = 0) {
  if (s.recording == nullptr) return;
  DrawOp op;
  op.kind = kind;
  op.mode = s.mode;
  op.colour = colour;
  op.x = x, op.y = y, op.w = w, op.h = h, op.rx = rx, op.ry = ry;
  s.recording->push_back(std::move(op));
}

// At a scale that is not whole, boxes and pictures at their own size are the
// front's, whatever the backend does: their edges are then the rounded ones
// (surface.h), where a backend would shade a device pixel cut by an edge.
bool WholeScale(const Surface& s) { return s.scale == std::floor(s.scale); }

// Counts a box of surface pixels as touched by drawing. The backdrop's
// drawing does not count: the picture is what is compared and shown.
void Touch(Surface& s, int64_t x, int64_t y, int64_t w, int64_t h) {
  if (s.onBackdrop) return;
  if (!s.drawing) {
    s.changes.touchedWhileClosed = true;  // the next closing compares the whole picture
    return;
  }
  // At a scale that is not whole, a backend drawing at the exact scale puts
  // an edge up to half a device pixel off the one the front rounds to, and
  // may shade the device pixel beyond it: one surface pixel more each way
  // holds that.
  if (!WholeScale(s)) x -= 1, y -= 1, w += 2, h += 2;
  TouchArea(s.changes, ClipToSurface(s.width, s.height, x, y, w, h));
}

// A curve or a resampled picture, whose smoothed edges may reach a little beyond its box.
void TouchCurve(Surface& s, int x, int y, int w, int h) {
  const int margin = s.backend->curveMarginPx;
  Touch(s, int64_t(x) - margin, int64_t(y) - margin, int64_t(w) + 2 * margin, int64_t(h) + 2 * margin);
}

bool OffSurface(const Surface& s, int x, int y, int w, int h) {
  return ClipToSurface(s.width, s.height, x, y, w, h).width == 0;
}

void WroteMemory(Surface& s) {
  if (s.backend->memoryWritten != nullptr) s.backend->memoryWritten(s.picture);
}

// A box of whole pixels, in a colour already as shown.
void FillArea(Surface& s, int x, int y, int w, int h, Colour shown) {
  const PixelArea box = ClipToSurface(s.width, s.height, x, y, w, h);
  if (box.width == 0) return;
  Touch(s, box.x, box.y, box.width, box.height);
  if (s.backend->fillBox != nullptr && WholeScale(s)) {
    s.backend->fillBox(s.picture, box.x, box.y, box.width, box.height, shown);
    return;
  }
  FillPixels(Target(s), box, shown);
  WroteMemory(s);
}

void PictureAtOwnSize(Surface& s, const Picture& picture, int x, int y) {
  if (OffSurface(s, x, y, picture.width, picture.height)) return;
  Touch(s, x, y, picture.width, picture.height);
  if (s.backend->drawPicture != nullptr && WholeScale(s)) {
    s.backend->drawPicture(s.picture, picture, x, y);
    return;
  }
  CopyPicturePixels(Target(s), picture, x, y);
  WroteMemory(s);
}

// A rounded box in whole pixels after the radius rule: rounded, a negative
// side taken from the other side, each radius cut to half its side (div 2).
struct PixelRoundedBox {
  int x, y, w, h, rx, ry;
};
PixelRoundedBox RoundedBoxInPixels(float x, float y, float w, float h, float rx, float ry) {
  PixelRoundedBox box{RoundPixel(x), RoundPixel(y), RoundPixel(w), RoundPixel(h), RoundPixel(rx), RoundPixel(ry)};
  if (box.w < 0) box.x += box.w, box.w = -box.w;
  if (box.h < 0) box.y += box.h, box.h = -box.h;
  box.rx = std::clamp(box.rx, 0, box.w / 2);
  box.ry = std::clamp(box.ry, 0, box.h / 2);
  return box;
}

void DropBackdrop(Surface& s) {
  if (s.backdrop != nullptr) s.backend->destroyPicture(s.backdrop);
  s.backdrop = nullptr;
  s.backdropDrawn = false;
}

// Makes the picture again at the wanted scale, as far as the backend goes;
// the old one stays if that fails.
void ApplyWantedScale(Surface& s) {
  const float scale = std::min(s.wantedScale, s.backend->maxScale);
  if (scale == s.scale) return;
  BackendPicture* picture = s.backend->createPicture(s.width, s.height, scale);
  if (picture == nullptr) {
    s.wantedScale = s.scale;
    return;
  }
  s.backend->destroyPicture(s.picture);
  s.picture = picture;
  s.scale = scale;
  DropBackdrop(s);  // drawn at the old scale
  // Fonts stay: the scale is not part of the space texts are measured in, so
  // they keep their widths and only draw sharper.
  s.changes.presented.clear();  // the next picture is shown whole
}

// The picture and the backdrop change places, and with them the state:
// onto the backdrop, the opaque mode and no recording; back onto the
// picture, its mode, font and recording.
void SwapWithBackdrop(Surface& s) {
  std::swap(s.picture, s.backdrop);
  if (!s.onBackdrop) {
    s.beforeBackdrop = {s.mode, s.font, s.recording};
    s.mode = DrawMode::Opaque;
    s.recording = nullptr;
  } else {
    s.mode = s.beforeBackdrop.mode;
    s.font = s.beforeBackdrop.font;
    s.recording = s.beforeBackdrop.recording;
    s.backdropDrawn = true;
  }
  s.onBackdrop = !s.onBackdrop;
}

// Whether the backend draws `text` in the selected font with glyphs, asked
// once per font and text.
bool DrawsGlyphs(Surface& s, std::u16string_view text) {
  Surface::FontSlot& slot = s.fonts[size_t(s.font)];
  if (s.backend->text.hasGlyphs == nullptr) return true;
  for (const auto& [asked, answer] : slot.drawsGlyphs) {
    if (asked == text) return answer;
  }
  const bool answer = s.backend->text.hasGlyphs(s.text, s.picture, slot.handle, text);
  slot.drawsGlyphs.emplace_back(Text(text), answer);
  return answer;
}

// The shape that stands in for one of the player's symbols where the
// selected font has no glyph for it; nothing for any other text.
std::optional<StandIn> StandInFor(Surface& s, std::u16string_view text) {
  std::optional<StandIn> standIn = SymbolStandIn(text, float(s.fonts[size_t(s.font)].face.points) * kPixelsPerPoint);
  if (!standIn || DrawsGlyphs(s, text)) return std::nullopt;
  return standIn;
}

// The shape in its square, centred in the line box whose top-left corner is at (x, y).
void DrawStandIn(Surface& s, const StandIn& standIn, float x, float y, Colour shown) {
  const float lineHeight = s.fonts[size_t(s.font)].lineHeight;
  const int left = RoundPixel(x) + standIn.left, top = RoundPixel(y + (lineHeight - float(standIn.side)) / 2.0f);
  // RoundPixel keeps both within ±1e9, and a shape is small: the sums fit.
  for (const PixelArea& box : standIn.boxes) FillArea(s, left + box.x, top + box.y, box.width, box.height, shown);
}

}  // namespace

int RoundPixel(float value) {
  if (!std::isfinite(value)) return 0;
  // lrint follows the current rounding mode, which is to-nearest-even.
  const double clamped = std::fmax(-1e9, std::fmin(1e9, double(value)));
  return int(std::lrint(clamped));
}

Surface* CreateSurfaceWith(const SurfaceBackend& backend, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  BackendPicture* picture = backend.createPicture(width, height, 1);
  if (picture == nullptr) return nullptr;
  BackendText* text = backend.text.create(picture);
  if (text == nullptr) {
    backend.destroyPicture(picture);
    return nullptr;
  }
  auto* s = new Surface;
  s->backend = &backend;
  s->width = width;
  s->height = height;
  s->picture = picture;
  s->text = text;
  return s;
}

Surface* CreateSurface(int width, int height) { return CreateSurfaceWith(DrawingBackend(), width, height); }

void DestroySurface(Surface*& s) {
  if (s == nullptr) return;
  EndDrawingBackdrop(*s);
  DropBackdrop(*s);
  s->backend->text.destroy(s->text);
  s->backend->destroyPicture(s->picture);
  delete s;
  s = nullptr;
}

int SurfaceWidth(const Surface& s) { return s.width; }
int SurfaceHeight(const Surface& s) { return s.height; }
void SetSurfaceScale(Surface& s, float scale) {
  s.wantedScale = std::isfinite(scale) ? std::clamp(scale, 1.0f, kMaxSurfaceScale) : 1.0f;
}
float SurfaceScale(const Surface& s) { return s.scale; }

bool BeginDrawing(Surface& s) {
  ApplyWantedScale(s);
  if (s.backend->canDraw != nullptr && !s.backend->canDraw(s.picture)) return false;
  s.drawing = true;
  s.mode = DrawMode::Opaque;
  StartTouching(s.changes, s.width, s.height);
  return true;
}

void EndDrawing(Surface& s) {
  if (!s.drawing) return;
  EndDrawingBackdrop(s);
  s.drawing = false;
  PresentChangedRows(s.changes, Target(s), s.present);
}

bool IsDrawing(const Surface& s) { return s.drawing; }

void SetPresent(Surface& s, std::function<void(int x, int y, int width, int height)> present) {
  s.present = std::move(present);
}

PixelView SurfacePixels(Surface& s) {
  const PictureMemory memory = s.backend->memory(s.picture);
  return {memory.data, DevicePixels(s.width, s.scale), DevicePixels(s.height, s.scale), memory.stride, s.scale};
}

uint32_t SurfacePixel(Surface& s, int x, int y) {
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
  const PixelView view = SurfacePixels(s);
  const size_t row = size_t(DevicePixels(y, view.scale)), column = size_t(DevicePixels(x, view.scale));
  return reinterpret_cast<const uint32_t*>(view.data + row * size_t(view.stride))[column] & 0xFFFFFF;
}

void SetRecording(Surface& s, std::vector<DrawOp>* ops) { s.recording = ops; }

bool BeginDrawingBackdrop(Surface& s) {
  if (!s.drawing || s.onBackdrop) return false;
  if (s.backdrop == nullptr) s.backdrop = s.backend->createPicture(s.width, s.height, s.scale);
  if (s.backdrop == nullptr || (s.backend->canDraw != nullptr && !s.backend->canDraw(s.backdrop))) return false;
  SwapWithBackdrop(s);
  return true;
}

void EndDrawingBackdrop(Surface& s) {
  if (s.onBackdrop) SwapWithBackdrop(s);
}

bool HasBackdrop(const Surface& s) { return s.backdropDrawn; }

void RestoreBackdrop(Surface& s, PixelArea area) {
  if (!s.drawing || s.onBackdrop || !s.backdropDrawn || s.backdrop == nullptr) return;
  const PixelArea box = ClipToSurface(s.width, s.height, area.x, area.y, std::max(area.width, 0),
                                      std::max(area.height, 0));
  if (box.width == 0) return;
  const PictureMemory backdrop = s.backend->memory(s.backdrop);
  CopyArea(Target(s), backdrop.data, box);
  WroteMemory(s);
  Touch(s, box.x, box.y, box.width, box.height);
}

void StartDrawnArea(Surface& s) { s.changes.drawn = {}; }
PixelArea DrawnArea(const Surface& s) { return s.changes.drawn; }

void SetDrawMode(Surface& s, DrawMode mode) { s.mode = mode; }

void FillBox(Surface& s, float x, float y, float w, float h, Colour colour) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::Box, colour, ix, iy, iw, ih);
  const Colour shown = Shown(s, colour);
  if (AlphaOf(shown) == 0) return;
  FillArea(s, ix, iy, iw, ih, shown);
}

void FillRoundedBox(Surface& s, float x, float y, float w, float h, float rx, float ry, Colour colour) {
  const PixelRoundedBox box = RoundedBoxInPixels(x, y, w, h, rx, ry);
  Record(s, DrawOp::Kind::RoundedBox, colour, box.x, box.y, box.w, box.h, box.rx, box.ry);
  const Colour shown = Shown(s, colour);
  if (box.w == 0 || box.h == 0 || AlphaOf(shown) == 0) return;
  if (box.rx == 0 || box.ry == 0) {
    FillArea(s, box.x, box.y, box.w, box.h, shown);
    return;
  }
  if (OffSurface(s, box.x, box.y, box.w, box.h)) return;
  TouchCurve(s, box.x, box.y, box.w, box.h);
  s.backend->fillRoundedBox(s.picture, box.x, box.y, box.w, box.h, box.rx, box.ry, shown);
}

void FillCircle(Surface& s, float cx, float cy, float radius, Colour colour) {
  const int icx = RoundPixel(cx), icy = RoundPixel(cy), ir = RoundPixel(radius);
  Record(s, DrawOp::Kind::Circle, colour, icx, icy, ir, 0);
  const Colour shown = Shown(s, colour);
  if (ir <= 0 || AlphaOf(shown) == 0 || OffSurface(s, icx - ir, icy - ir, 2 * ir, 2 * ir)) return;
  TouchCurve(s, icx - ir, icy - ir, 2 * ir, 2 * ir);
  s.backend->fillCircle(s.picture, icx, icy, ir, shown);
}

void DrawLine(Surface& s, float x1, float y1, float x2, float y2, Colour colour) {
  const int ix1 = RoundPixel(x1), iy1 = RoundPixel(y1), ix2 = RoundPixel(x2), iy2 = RoundPixel(y2);
  Record(s, DrawOp::Kind::Line, colour, ix1, iy1, ix2, iy2);
  const Colour shown = Shown(s, colour);
  if (AlphaOf(shown) == 0) return;
  // Both ends included. RoundPixel keeps coordinates within ±1e9, so the sizes fit.
  Touch(s, std::min(ix1, ix2), std::min(iy1, iy2), std::abs(int64_t(ix2) - ix1) + 1, std::abs(int64_t(iy2) - iy1) + 1);
  PlotLine(Target(s), ix1, iy1, ix2, iy2, shown);
  WroteMemory(s);
}

void DrawPicture(Surface& s, const Picture& picture, float x, float y) {
  const int ix = RoundPixel(x), iy = RoundPixel(y);
  Record(s, DrawOp::Kind::Picture, 0, ix, iy, picture.width, picture.height);
  if (picture.width <= 0 || picture.height <= 0) return;
  PictureAtOwnSize(s, picture, ix, iy);
}

void DrawPictureStretched(Surface& s, const Picture& picture, float x, float y, float w, float h) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::PictureStretched, 0, ix, iy, iw, ih);
  if (iw <= 0 || ih <= 0 || picture.width <= 0 || picture.height <= 0) return;
  if (iw == picture.width && ih == picture.height) {
    PictureAtOwnSize(s, picture, ix, iy);
    return;
  }
  if (OffSurface(s, ix, iy, iw, ih)) return;
  if (s.scale != 1 && picture.width == DevicePixels(ix + iw, s.scale) - DevicePixels(ix, s.scale) &&
      picture.height == DevicePixels(iy + ih, s.scale) - DevicePixels(iy, s.scale)) {
    // Made for the box's device pixels (the gradient, the sharp cover): a
    // copy, exact and far cheaper than a resampling that would change nothing.
    Touch(s, ix, iy, iw, ih);
    CopyDevicePicturePixels(Target(s), picture, ix, iy);
    WroteMemory(s);
    return;
  }
  TouchCurve(s, ix, iy, iw, ih);
  s.backend->drawPictureStretched(s.picture, picture, ix, iy, iw, ih);
}

void SelectFont(Surface& s, const FontFace& font) {
  s.font = -1;
  if (font.points <= 0) return;
  for (size_t i = 0; i < s.fonts.size(); ++i) {
    if (s.fonts[i].face == font) {
      s.font = s.fonts[i].handle < 0 ? -1 : int(i);
      return;
    }
  }
  float lineHeight = 0;
  const int handle = s.backend->text.openFont(s.text, s.picture, font, lineHeight);
  // A face the backend has none for is remembered as such: a frame selects
  // each font several times, and looking for a face can be slow.
  s.fonts.push_back({font, handle, handle < 0 ? 0.0f : lineHeight, {}});
  s.font = handle < 0 ? -1 : int(s.fonts.size() - 1);
}

const FontFace& SelectedFont(const Surface& s) {
  static const FontFace kNone;
  return s.font < 0 ? kNone : s.fonts[size_t(s.font)].face;
}

void DrawText(Surface& s, std::u16string_view text, float x, float y, Colour colour) {
  if (s.recording != nullptr) {
    Record(s, DrawOp::Kind::Text, colour, 0, 0, 0, 0);
    s.recording->back().textX = x;
    s.recording->back().textY = y;
    s.recording->back().text = TextToUtf8(text);
  }
  const Colour shown = Shown(s, colour);
  if (text.empty() || s.font < 0 || AlphaOf(shown) == 0) return;
  if (const std::optional<StandIn> standIn = StandInFor(s, text)) {
    DrawStandIn(s, *standIn, x, y, shown);
    return;
  }
  const TextReach reach =
      s.backend->text.draw(s.text, s.picture, s.fonts[size_t(s.font)].handle, text, x, y, shown);
  if (!std::isfinite(x) || !std::isfinite(y)) {
    Touch(s, 0, 0, s.width, s.height);  // wherever the backend put it
    return;
  }
  // Far texts touch nothing; the clamp keeps the conversion defined.
  auto pixel = [](double value) { return int64_t(std::clamp(value, -1e6, 1e6)); };
  const int64_t left = pixel(std::floor(double(x) + reach.x)), top = pixel(std::floor(double(y) + reach.y));
  const int64_t right = pixel(std::ceil(double(x) + reach.x + reach.width));
  const int64_t bottom = pixel(std::ceil(double(y) + reach.y + reach.height));
  Touch(s, left, top, right - left, bottom - top);
}

float TextWidth(Surface& s, std::u16string_view text) {
  if (text.empty() || s.font < 0) return 0.0f;
  if (const std::optional<StandIn> standIn = StandInFor(s, text)) return float(standIn->advance);
  return s.backend->text.measure(s.text, s.picture, s.fonts[size_t(s.font)].handle, text);
}

float LineHeight(Surface& s) { return s.font < 0 ? 0.0f : s.fonts[size_t(s.font)].lineHeight; }
