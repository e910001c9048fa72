// SPDX-License-Identifier: GPL-3.0-or-later
// The player's windows as the listener meets them, written once and free of
// any toolkit: their titles and sizes, the menu bar, the shortcuts and the
// timers. Both shells build theirs from these tables, and the app maps the
// menu events they deliver back to commands through them.
#pragma once

#include <cstdint>

#include "app/commands.h"
#include "display/played_songs_view.h"
#include "model/layout.h"

struct Player;
struct Surface;

// A window of the player: a title bar with the system menu and its close
// box, no maximize box and no sizing border, centred on the screen, its
// client area one painted surface of a fixed size.
struct WindowDescription {
  const char* title;  // UTF-8
  int width, height;  // of the client area, in surface pixels
  bool minimizable;   // a minimize box
};

inline constexpr WindowDescription kPlayerWindow{"Orvelle Player", kMainSurfaceWidth, kMainSurfaceHeight, true};
inline constexpr WindowDescription kAboutWindow{"\u00C0 propos de Orvelle", 800, 400, false};
inline constexpr WindowDescription kPlayedSongsWindow{"Titres diffus\u00E9s", kPlayedSongsWidth, kPlayedSongsHeight,
                                                      false};

// A window opened beside the player window, drawn by the app alone. Its
// surface keeps what was drawn; pointer events on it are ignored.
struct SideWindow {
  WindowDescription window;
  // The whole picture; the shell calls it again when the surface must be
  // painted anew (a new display scale).
  void (*draw)(const Player& player, Surface& s);
};

// Menu event numbers: what the menu bar and the shortcuts deliver.
enum MenuEvent : int {
  kMenuQuit = 100,
  kMenuSite = 110,
  kMenuPodcast = 111,
  kMenuTop30 = 112,
  kMenuForum = 113,
  kMenuAbout = 120,
  kMenuVisualizerFirst = 200,  // and on: one per visualizer mode, in their order
  // The V key: the first number after the modes'.
  kMenuNextVisualizer = kMenuVisualizerFirst + kVisualizerModeCount,
  // Beyond the numbers above, which stay as they are.
  kMenuPlayedSongs = 300,
  kMenuCopySong = 301,  // Ctrl+C on the player window
};

// One entry of the menu bar, in order: a Menu opens a title, and the Items
// and Separators after it, up to the next Menu, are its own.
struct MenuEntry {
  enum class Kind { Menu, Item, Separator };
  Kind kind;
  const char* text = "";  // UTF-8: a title or an item's label, no mnemonics
  int event = 0;          // an item's menu event
  Command command{};      // what an item's event runs
};

namespace menu_table {
using K = MenuEntry::Kind;
using C = Command::Kind;
constexpr Command SelectMode(VisualizerMode mode) { return {C::SelectVisualizer, mode}; }
constexpr int ModeEvent(VisualizerMode mode) { return kMenuVisualizerFirst + int(mode); }
constexpr Command Page(StationPage page) { return {C::OpenStationPage, {}, 0.0f, page}; }
}  // namespace menu_table

inline constexpr MenuEntry kPlayerMenuBar[] = {
    {menu_table::K::Menu, "Fichier"},
    {menu_table::K::Item, "Quitter", kMenuQuit, {menu_table::C::Quit}},
    {menu_table::K::Menu, "Orvelle"},
    {menu_table::K::Item, "Site Orvelle\u2026", kMenuSite, menu_table::Page(StationPage::Site)},
    {menu_table::K::Item, "Podcast", kMenuPodcast, menu_table::Page(StationPage::Podcast)},
    {menu_table::K::Item, "Top 30", kMenuTop30, menu_table::Page(StationPage::Top30)},
    {menu_table::K::Item, "Forum", kMenuForum, menu_table::Page(StationPage::Forum)},
    {menu_table::K::Separator},
    {menu_table::K::Item, "Titres diffus\u00E9s\u2026", kMenuPlayedSongs, {menu_table::C::ShowPlayedSongs}},
    {menu_table::K::Menu, "Affichage"},
    {menu_table::K::Item, "Visualizer : Ligne", menu_table::ModeEvent(VisualizerMode::Line),
     menu_table::SelectMode(VisualizerMode::Line)},
    {menu_table::K::Item, "Visualizer : Barres", menu_table::ModeEvent(VisualizerMode::Bars),
     menu_table::SelectMode(VisualizerMode::Bars)},
    {menu_table::K::Item, "Visualizer : Barres miroir", menu_table::ModeEvent(VisualizerMode::MirrorBars),
     menu_table::SelectMode(VisualizerMode::MirrorBars)},
    {menu_table::K::Item, "Visualizer : Cercle", menu_table::ModeEvent(VisualizerMode::Ring),
     menu_table::SelectMode(VisualizerMode::Ring)},
    {menu_table::K::Item, "Visualizer : Rayons", menu_table::ModeEvent(VisualizerMode::Rays),
     menu_table::SelectMode(VisualizerMode::Rays)},
    {menu_table::K::Item, "Visualizer : Oscilloscope", menu_table::ModeEvent(VisualizerMode::Oscilloscope),
     menu_table::SelectMode(VisualizerMode::Oscilloscope)},
    {menu_table::K::Menu, "\u00C0 propos"},
    {menu_table::K::Item, "\u00C0 propos de Orvelle\u2026", kMenuAbout, {menu_table::C::ShowAbout}},
};

// A key of the player window, pressed with no other modifier than Ctrl
// when `control` says so, that raises a menu event of its own (an event no
// item carries).
struct Shortcut {
  char key;  // an upper-case letter
  int event;
  Command command;
  bool control = false;
};

inline constexpr Shortcut kShortcuts[] = {
    {'V', kMenuNextVisualizer, {menu_table::C::NextVisualizer}},
    {'C', kMenuCopySong, {menu_table::C::CopySong}, true},
};

// The player window's timers, each delivered as its own timer event.
enum TimerId : int {
  kTimerNowPlaying = 10,
  kTimerAnimation = 11,
};
struct TimerDescription {
  int id;
  unsigned intervalMs;
};
inline constexpr TimerDescription kTimers[] = {{kTimerNowPlaying, 10000}, {kTimerAnimation, 80}};

// The command of a menu event, from the menu bar or a shortcut; nullptr for
// a number that has none.
const Command* MenuCommand(int event);
