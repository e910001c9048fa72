// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cover_art_file.h"

#include <cairo.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <unistd.h>

#include "os/log.h"

namespace {

std::string g_lastFile;  // the file published last; "" when none

std::string ArtFolder() {
  // Only the session's own runtime folder: private to the user, emptied at
  // log-out, never a shared or persistent place.
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return "";
  return std::string(runtime) + "/orvelle-player";
}

bool WritePng(const Picture& picture, const std::string& path) {
  // Cairo's ARGB32 is the picture's own layout; it writes PNG without the premultiplication.
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(picture.pixels.data()));
  cairo_surface_t* image =
      cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, picture.width, picture.height, picture.stride);
  const cairo_status_t status = cairo_surface_write_to_png(image, path.c_str());
  cairo_surface_destroy(image);
  return status == CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string PublishCoverArt(const Picture& picture, uint32_t number) {
  const std::string folder = ArtFolder();
  if (folder.empty()) return "";
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
    LogDiagnostic("cannot make the cover folder %s", folder.c_str());
    return "";
  }
  const std::string name = folder + "/" + std::to_string(getpid()) + "-" + std::to_string(number) + ".png";
  const std::string partial = name + ".part";
  if (!WritePng(picture, partial) || g_rename(partial.c_str(), name.c_str()) != 0) {
    LogDiagnostic("cannot write the cover file %s", name.c_str());
    g_unlink(partial.c_str());
    return "";
  }
  if (!g_lastFile.empty() && g_lastFile != name) g_unlink(g_lastFile.c_str());
  g_lastFile = name;
  gchar* uri = g_filename_to_uri(name.c_str(), nullptr, nullptr);
  const std::string result = uri != nullptr ? uri : "";
  g_free(uri);
  return result;
}

void RemoveCoverArt() {
  if (g_lastFile.empty()) return;
  g_unlink(g_lastFile.c_str());
  g_lastFile.clear();
  // Fails, as it should, while another player still has a file there.
  g_rmdir(ArtFolder().c_str());
}
