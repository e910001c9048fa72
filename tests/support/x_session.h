// SPDX-License-Identifier: GPL-3.0-or-later
// A private X server (Xvfb) and the real player running in it, for tests of
// the window as the user sees it. Every wait polls with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include <cairo.h>

#include "support/processes.h"

struct XSession {
  pid_t serverPid = 0;
  std::string display;  // ":N"
  std::string workDir;  // a fresh temporary folder, removed at the end
};

// Starts Xvfb on a display number it picks itself, its screen `screen`
// (width x height x depth); false if it does not come up.
bool StartXSession(XSession& session, const std::string& screen = "1024x768x24");
// Stops the server and removes the work folder.
void StopXSession(XSession& session);

// `text` as one word of a shell command, whatever it holds.
std::string Quote(const std::string& text);

// Runs a shell command against the session's display; its standard output,
// or nothing if it failed or ran past `timeoutSeconds`.
std::optional<std::string> RunInSession(const XSession& session, const std::string& command, int timeoutSeconds = 10);

// Copies the player into the work folder, with `libraryBeside` (a libbass.so)
// next to it when given, and starts it there with `environment` over the
// usual variables; its pid, or 0.
pid_t StartPlayer(const XSession& session, const std::string& playerPath, const std::string& libraryBeside,
                  const EnvironmentVariables& environment = {});


// The first visible window whose whole title is `title`, or nothing before the timeout.
std::optional<std::string> FindWindow(const XSession& session, const std::string& title,
                                      std::chrono::milliseconds timeout);
// A screenshot of the window's contents (no frame); nullptr on failure. The caller destroys it.
cairo_surface_t* CaptureWindow(const XSession& session, const std::string& windowId);
// Width and height of the window.
std::optional<std::pair<int, int>> WindowSize(const XSession& session, const std::string& windowId);

// 0xRRGGBB of a pixel of an image surface.
uint32_t PixelAt(cairo_surface_t* image, int x, int y);
