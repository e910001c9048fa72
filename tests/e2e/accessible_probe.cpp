// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the player's drawing area as a screen reader does, over AT-SPI.
// Exits with 1 when the player shows no drawing area (or no such control).
//   accessible_probe               its accessible name and description, on two lines
//   accessible_probe controls      a line per child: role, name, "pressed" or
//                                  "-", its actions and its value "now min max step"
//   accessible_probe press NAME    does the first action of the child NAME
//   accessible_probe set NAME N    sets the value of the child NAME to N
#include <atspi/atspi.h>

#include <cstdio>
#include <cstdlib>
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

std::string Controls(AtspiAccessible* area) {
  std::string lines;
  const int count = atspi_accessible_get_child_count(area, nullptr);
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(area, i, nullptr);
    if (child == nullptr) continue;
    lines += Take(atspi_accessible_get_role_name(child, nullptr)) + "|";
    lines += Take(atspi_accessible_get_name(child, nullptr));
    AtspiStateSet* states = atspi_accessible_get_state_set(child);
    lines += atspi_state_set_contains(states, ATSPI_STATE_PRESSED) ? "|pressed|" : "|-|";
    g_object_unref(states);
    if (AtspiAction* action = atspi_accessible_get_action_iface(child)) {
      for (int a = 0; a < atspi_action_get_n_actions(action, nullptr); ++a) {
        lines += Take(atspi_action_get_action_name(action, a, nullptr)) + " ";
      }
      g_object_unref(action);
    }
    if (AtspiValue* value = atspi_accessible_get_value_iface(child)) {
      char numbers[96];
      std::snprintf(numbers, sizeof numbers, "|%g %g %g %g", atspi_value_get_current_value(value, nullptr),
                    atspi_value_get_minimum_value(value, nullptr), atspi_value_get_maximum_value(value, nullptr),
                    atspi_value_get_minimum_increment(value, nullptr));
      lines += numbers;
      g_object_unref(value);
    }
    lines += "\n";
    g_object_unref(child);
  }
  return lines;
}

AtspiAccessible* Child(AtspiAccessible* area, const std::string& name) {
  const int count = atspi_accessible_get_child_count(area, nullptr);
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(area, i, nullptr);
    if (child != nullptr && Take(atspi_accessible_get_name(child, nullptr)) == name) return child;
    if (child != nullptr) g_object_unref(child);
  }
  return nullptr;
}

// What the command line asks of the drawing area; 1 when it cannot be done.
int Ask(AtspiAccessible* area, int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what.empty()) {
    std::printf("%s\n%s\n", Take(atspi_accessible_get_name(area, nullptr)).c_str(),
                Take(atspi_accessible_get_description(area, nullptr)).c_str());
    return 0;
  }
  if (what == "controls") {
    std::printf("%s", Controls(area).c_str());
    return 0;
  }
  AtspiAccessible* child = argc > 2 ? Child(area, argv[2]) : nullptr;
  if (child == nullptr) return 1;
  bool done = false;
  if (what == "press") {
    if (AtspiAction* action = atspi_accessible_get_action_iface(child)) {
      done = atspi_action_do_action(action, 0, nullptr);
      g_object_unref(action);
    }
  } else if (what == "set" && argc > 3) {
    if (AtspiValue* value = atspi_accessible_get_value_iface(child)) {
      done = atspi_value_set_current_value(value, std::atof(argv[3]), nullptr);
      g_object_unref(value);
    }
  }
  g_object_unref(child);
  return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string wanted = "orvelle-player";
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
  const int result = Ask(area, argc, argv);
  g_object_unref(area);
  if (desktop != nullptr) g_object_unref(desktop);
  return result;
}
