// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32_dpi.h"

#include <algorithm>

#include "display/surface.h"

namespace {

constexpr UINT kBaseDpi = 96;  // scale 1

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? UINT(dpi) : kBaseDpi;
}

// GetDpiForWindow is looked up, not imported: a Windows without it (before
// 10) would refuse to start the program at all.
UINT DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = window != nullptr && getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

}  // namespace

float ScaleOfDpi(UINT dpi) {
  if (dpi == 0) return 1;
  // Below 96 DPI the view keeps its pixels: a smaller view would only be harder to read.
  return std::clamp(float(dpi) / float(kBaseDpi), 1.0f, kMaxSurfaceScale);
}

float WindowScale(HWND window) { return ScaleOfDpi(DpiOf(window)); }

SIZE ClientSizeAt(int width, int height, float scale) {
  return {DevicePixels(width, scale), DevicePixels(height, scale)};
}

POINT SurfacePoint(int deviceX, int deviceY, float scale) {
  return {SurfacePixelAt(deviceX, scale), SurfacePixelAt(deviceY, scale)};
}

RECT DeviceRect(int x, int y, int width, int height, float scale) {
  return {DevicePixels(x, scale), DevicePixels(y, scale), DevicePixels(x + width, scale),
          DevicePixels(y + height, scale)};
}
