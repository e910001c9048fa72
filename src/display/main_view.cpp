#include "display/main_view.h"

#include "display/gradient.h"

namespace {
constexpr Colour kBackground = Rgb(2, 8, 20);
constexpr Colour kGradientTop = Rgb(6, 14, 32);
}  // namespace

void RenderMainView(Player& player) {
  if (player.mainSurface == nullptr) return;
  Surface& s = *player.mainSurface;
  if (!BeginDrawing(s)) return;
  FillBox(s, 0, 0, float(s.width), float(s.height), kBackground);
  // 740 wide: the strip on the right keeps the flat background. 320 rows,
  // the last 20 of which fall below the surface.
  DrawVerticalGradient(s, 0, 0, 740, 320, kGradientTop, kBackground);
  // FIXME: cover, texts, buttons, visualizer, volume slider and badge are not drawn yet.
  EndDrawing(s);
}
