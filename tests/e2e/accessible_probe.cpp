// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the player's drawing area as a screen reader does, over AT-SPI:
// prints its accessible name and description on two lines. Exits with 1
// when no application of that name shows a drawing area.
//   accessible_probe [application-name]
#include <atspi/atspi.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kMaxDepth = 16;  // the player's tree is a few levels deep

AtspiAccessible* FindRole(AtspiAccessible* node, AtspiRole role, int depth) {
  if (atspi_accessible_get_role(node, nullptr) == role) return ATSPI_ACCESSIBLE(g_object_ref(node));
  if (depth >= kMaxDepth) return nullptr;
  const int count = atspi_accessible_get_child_count(node, nullptr);
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
    if (child == nullptr) continue;
    AtspiAccessible* found = FindRole(child, role, depth + 1);
    g_object_unref(child);
    if (found != nullptr) return found;
  }
  return nullptr;
}

std::string Take(gchar* text) {
  std::string copy = text != nullptr ? text : "";
  g_free(text);
  return copy;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string wanted = argc > 1 ? argv[1] : "orvelle-player";
  if (atspi_init() < 0) return 2;
  AtspiAccessible* desktop = atspi_get_desktop(0);
  AtspiAccessible* area = nullptr;
  const int apps = desktop != nullptr ? atspi_accessible_get_child_count(desktop, nullptr) : 0;
  for (int i = 0; i < apps && area == nullptr; ++i) {
    AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
    if (app == nullptr) continue;
    if (Take(atspi_accessible_get_name(app, nullptr)) == wanted) area = FindRole(app, ATSPI_ROLE_DRAWING_AREA, 0);
    g_object_unref(app);
  }
  if (area == nullptr) return 1;
  std::printf("%s\n%s\n", Take(atspi_accessible_get_name(area, nullptr)).c_str(),
              Take(atspi_accessible_get_description(area, nullptr)).c_str());
  g_object_unref(area);
  if (desktop != nullptr) g_object_unref(desktop);
  return 0;
}
