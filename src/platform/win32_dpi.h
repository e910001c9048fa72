// SPDX-License-Identifier: GPL-3.0-or-later
// The display scale of the Win32 windows: each window's DPI over 96, and the
// client sizes, pointer positions and areas that follow from it. The
// surface stays in its own pixels (800 by 300 for the player); the window
// shows it at the scale of the screen it is on.
#pragma once

#include <windows.h>

// The scale a window is shown at: its DPI over 96 (1 at 96 DPI, 1.5 at 144),
// within what the surface draws at. Before the window exists (null), the
// system's. Per-monitor DPI is asked where Windows has it (10 and later),
// else the system's DPI holds for every window.
float WindowScale(HWND window);
// The same for a DPI as WM_DPICHANGED gives it.
float ScaleOfDpi(UINT dpi);

// The client size of a window whose surface is width by height at `scale`.
SIZE ClientSizeAt(int width, int height, float scale);
// A position in the client area, in device pixels, as the surface pixel it falls in.
POINT SurfacePoint(int deviceX, int deviceY, float scale);
// The device pixels of an area of the surface.
RECT DeviceRect(int x, int y, int width, int height, float scale);
