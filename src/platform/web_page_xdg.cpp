// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's URL handler on freedesktop systems: xdg-open.
#include <glib.h>

#include "os/log.h"
#include "platform/web_page.h"

void OpenWebPage(const std::string& url) {
  // No shell, no waiting; GLib reaps the child.
  gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(url.c_str()), nullptr};
  GError* error = nullptr;
  if (!g_spawn_async(nullptr, argv, nullptr,
                     GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                     nullptr, nullptr, nullptr, &error)) {
    LogDiagnostic("cannot start xdg-open: %s", error != nullptr ? error->message : "unknown error");
    g_clear_error(&error);
  }
}
