// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk_shell.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/changes.h"
#include "app/events.h"
#include "app/screen_reader_text.h"
#include "app/startup.h"
#include "platform/keep_awake.h"
#include "platform/media_controls_mpris.h"
#include "platform/one_instance.h"
#include "platform/played_songs_gtk.h"
#include "platform/termination.h"
#include "platform/web_page.h"

namespace {

// A window beside the player window (app/window_description.h).
struct SideState {
  const SideWindow* side = nullptr;
  GtkWidget* window = nullptr;
  Surface* surface = nullptr;
};

// Everything the GTK side keeps. One player window per process.
struct GtkShellState {
  Player* player = nullptr;
  GtkWidget* window = nullptr;  // window 0
  GtkWidget* area = nullptr;    // shows surface 1
  std::vector<std::unique_ptr<SideState>> sides;
  std::vector<guint> timerIds;
  guint laterStartsWatch = 0;  // later starts of the player ask this one to come forward
  GtkWidget* openBox = nullptr;  // the message box being shown
  bool firstFrameShown = false;  // the main surface has been painted into the window
};

GtkShellState g;

void Deliver(const ShellEvent& event) {
  if (g.player != nullptr) DeliverEvent(*g.player, event);
}

void Quit() {
  if (g.player != nullptr) RequestQuit(*g.player);
}

std::atomic<bool> resultsWakePending{false};

gboolean OnResultsReady(gpointer) {
  resultsWakePending.store(false);
  if (g.player != nullptr) ApplyBackgroundResults(*g.player);
  return G_SOURCE_REMOVE;
}

bool DesktopCanRun() { return g.player != nullptr && AcceptsCommands(*g.player); }

void RunFromDesktop(const Command& command) {
  if (DesktopCanRun()) Deliver({ShellEvent::Kind::Command, 0, {}, command});
}

void PresentPlayerWindow() {
  if (g.window != nullptr) gtk_window_present(GTK_WINDOW(g.window));
}

gboolean OnLaterStart(gint, GIOCondition, gpointer) {
  AnswerLaterStarts(PresentPlayerWindow);
  return G_SOURCE_CONTINUE;
}

// The drawing area is all a screen reader finds in the window: its name and
// description say what the surface shows. Each setting is announced to
// assistive technologies: only what the change touched is set.
void SayWhatTheWindowShows(unsigned changes) {
  if (g.area == nullptr || g.player == nullptr) return;
  AtkObject* accessible = gtk_widget_get_accessible(g.area);
  if (accessible == nullptr) return;
  const SpokenView spoken = DescribeMainView(g.player->song, g.player->playback);
  if (changes & (kSongChanged | kPlayingChanged)) atk_object_set_name(accessible, TextToUtf8(spoken.name).c_str());
  if (changes & (kSongChanged | kPlayingChanged | kVolumeChanged)) {
    atk_object_set_description(accessible, TextToUtf8(spoken.description).c_str());
  }
}

// How the session names the player window when asked to keep awake for it.
KeepAwakeWindow SessionWindow() {
  KeepAwakeWindow named;
#ifdef GDK_WINDOWING_X11
  GdkWindow* window = g.window != nullptr ? gtk_widget_get_window(g.window) : nullptr;
  if (window != nullptr && GDK_IS_X11_WINDOW(window)) {
    const unsigned long xid = GDK_WINDOW_XID(window);
    char handle[32];
    std::snprintf(handle, sizeof handle, "x11:%lx", xid);
    named.portalHandle = handle;
    named.x11Window = uint32_t(xid);
  }
#endif
  return named;
}

// After each handler that changed what a listener sees, and once with every
// bit when the loop starts: the screen reader, the session and the media
// controls follow.
void FollowWhatTheListenerSees(unsigned changes) {
  if (g.player == nullptr) return;
  SayWhatTheWindowShows(changes);
  if (changes & kPlayingChanged) KeepAwakeWhile(g.player->playback.streamLive, SessionWindow());
  MediaControlsFollow(*g.player, changes);
}

void OnMenuItem(GtkMenuItem*, gpointer event) { Deliver({ShellEvent::Kind::Menu, GPOINTER_TO_INT(event)}); }

gboolean OnShortcut(GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer event) {
  Deliver({ShellEvent::Kind::Menu, GPOINTER_TO_INT(event)});
  return TRUE;
}

gboolean OnTimer(gpointer timer) {
  Deliver({ShellEvent::Kind::Timer, GPOINTER_TO_INT(timer)});
  return G_SOURCE_CONTINUE;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer surfacePtr) {
  // The window shows the retained picture; nothing is drawn here.
  auto* surface = static_cast<Surface**>(surfacePtr);
  if (*surface != nullptr) {
    const PixelView view = SurfacePixels(**surface);
    cairo_surface_t* pixels = cairo_image_surface_create_for_data(const_cast<unsigned char*>(view.data),
                                                                  CAIRO_FORMAT_RGB24, view.width, view.height,
                                                                  view.stride);
    // At the window's own scale the picture lands one to one on its pixels.
    cairo_surface_set_device_scale(pixels, view.scale, view.scale);
    cairo_set_source_surface(cr, pixels, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(pixels);
    if (g.player != nullptr && surface == &g.player->mainSurface) g.firstFrameShown = true;
  }
  return TRUE;
}

void SendPointer(PointerKind kind, double x, double y) {
  Deliver({ShellEvent::Kind::Surface, 0, {kind, int(std::floor(x)), int(std::floor(y))}});
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* e, gpointer) {
  // Double and triple clicks also arrive as plain presses; the extra events are ignored.
  const bool left = e->button == GDK_BUTTON_PRIMARY && e->type == GDK_BUTTON_PRESS;
  SendPointer(left ? PointerKind::LeftPress : PointerKind::Other, e->x, e->y);
  return TRUE;
}

gboolean OnButtonRelease(GtkWidget*, GdkEventButton* e, gpointer) {
  SendPointer(e->button == GDK_BUTTON_PRIMARY ? PointerKind::LeftRelease : PointerKind::Other, e->x, e->y);
  return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* e, gpointer) {
  SendPointer(PointerKind::Move, e->x, e->y);
  return TRUE;
}

// Minimized, or unmapped (which GDK reports as iconified where no window
// manager says otherwise): the player stops drawing until it can be seen.
gboolean OnPlayerWindowState(GtkWidget*, GdkEventWindowState* e, gpointer) {
  constexpr auto kUnseen = GdkWindowState(GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN);
  if ((e->changed_mask & kUnseen) != 0 && g.player != nullptr) {
    SetWindowShown(*g.player, (e->new_window_state & kUnseen) == 0);
  }
  return FALSE;
}

gboolean OnPlayerWindowDelete(GtkWidget*, GdkEvent*, gpointer) {
  Quit();
  return TRUE;  // the window is destroyed at shutdown, not here
}

void DestroySideWindow(SideState* side) {
  if (side->window != nullptr) gtk_widget_destroy(side->window);
  DestroySurface(side->surface);
  std::erase_if(g.sides, [side](const std::unique_ptr<SideState>& kept) { return kept.get() == side; });
}

gboolean OnSideWindowDelete(GtkWidget*, GdkEvent*, gpointer side) {
  DestroySideWindow(static_cast<SideState*>(side));
  return TRUE;
}

GtkWidget* NewDrawingArea(Surface** surface) {
  GtkWidget* area = gtk_drawing_area_new();
  g_signal_connect(area, "draw", G_CALLBACK(OnDraw), surface);
  return area;
}

// The main surface follows the display's scale from its next frame on (the
// animation draws one every 80 ms); drawing here would be a handler of its own.
void OnMainScaleChanged(GObject* area, GParamSpec*, gpointer) {
  if (g.player != nullptr && g.player->mainSurface != nullptr) {
    SetSurfaceScale(*g.player->mainSurface, gtk_widget_get_scale_factor(GTK_WIDGET(area)));
  }
}

// A side window's picture is drawn once: it is drawn again at the new scale.
void OnSideScaleChanged(GObject* area, GParamSpec*, gpointer sidePtr) {
  auto* side = static_cast<SideState*>(sidePtr);
  if (g.player == nullptr || side->surface == nullptr) return;
  SetSurfaceScale(*side->surface, gtk_widget_get_scale_factor(GTK_WIDGET(area)));
  side->side->draw(*g.player, *side->surface);
}

void AddMenuItem(GtkWidget* menu, const MenuEntry& entry) {
  GtkWidget* item = entry.kind == MenuEntry::Kind::Separator
                        ? gtk_separator_menu_item_new()
                        : gtk_menu_item_new_with_label(entry.text);  // no mnemonics: texts stay as written
  if (entry.kind == MenuEntry::Kind::Item) {
    g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), GINT_TO_POINTER(entry.event));
  }
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
}

GtkWidget* BuildMenuBar() {
  GtkWidget* bar = gtk_menu_bar_new();
  if (bar == nullptr) return nullptr;
  GtkWidget* menu = nullptr;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) {
      GtkWidget* title = gtk_menu_item_new_with_label(entry.text);
      menu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), menu);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), title);
    } else if (menu != nullptr) {
      AddMenuItem(menu, entry);
    }
  }
  return bar;
}

// A fixed-size window of that description, centred, its client area a
// drawing area that shows `surface`.
GtkWidget* NewWindow(const WindowDescription& description, GtkWidget* area) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (window == nullptr) return nullptr;
  gtk_window_set_title(GTK_WINDOW(window), description.title);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  if (!description.minimizable) gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_widget_set_size_request(area, description.width, description.height);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  return window;
}

void SetIconFromLogo(GtkWidget* window, const Image& logo) {
  if (logo == nullptr) return;
  cairo_surface_t* pixels = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(logo->pixels.data()),
                                                                CAIRO_FORMAT_ARGB32, logo->width, logo->height,
                                                                logo->stride);
  GdkPixbuf* icon = gdk_pixbuf_get_from_surface(pixels, 0, 0, logo->width, logo->height);
  cairo_surface_destroy(pixels);
  if (icon == nullptr) return;
  gtk_window_set_icon(GTK_WINDOW(window), icon);
  g_object_unref(icon);
}

// The animation ticks 12.5 times a second and never needs the compositor's
// word that a frame was shown before drawing the next. Syncing with it costs
// a wake-up for each of its messages on every frame, and without a window
// manager a round trip to the X server on every frame.
void DoNotWaitForTheCompositor(GtkWidget* window) {
#ifdef GDK_WINDOWING_X11
  GdkWindow* shown = gtk_widget_get_window(window);
  if (shown != nullptr && GDK_IS_X11_WINDOW(shown)) gdk_x11_window_set_frame_sync_enabled(shown, FALSE);
#else
  (void)window;
#endif
}

void ShowInWindow(GtkWidget* area, Surface& surface) {
  SetPresent(surface, [area](int x, int y, int w, int h) { gtk_widget_queue_draw_area(area, x, y, w, h); });
  SetSurfaceScale(surface, gtk_widget_get_scale_factor(area));
}

bool OpenPlayerWindow(Player& player) {
  GtkWidget* area = NewDrawingArea(&player.mainSurface);
  g.window = NewWindow(kPlayerWindow, area);
  if (g.window == nullptr) {
    gtk_widget_destroy(area);
    return false;
  }
  g.area = area;
  SetIconFromLogo(g.window, player.look.logoImage);
  g_signal_connect(g.window, "delete-event", G_CALLBACK(OnPlayerWindowDelete), nullptr);
  g_signal_connect(g.window, "window-state-event", G_CALLBACK(OnPlayerWindowState), nullptr);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(g.window), box);
  // The menu bar sits above the 800 by 300 surface and adds to the window's height.
  if (GtkWidget* bar = BuildMenuBar()) gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);

  GtkAccelGroup* accel = gtk_accel_group_new();
  for (const Shortcut& shortcut : kShortcuts) {
    gtk_accel_group_connect(accel, gdk_unicode_to_keyval(g_unichar_tolower(gunichar(shortcut.key))),
                            shortcut.control ? GDK_CONTROL_MASK : GdkModifierType(0), GtkAccelFlags(0),
                            g_cclosure_new(G_CALLBACK(OnShortcut), GINT_TO_POINTER(shortcut.event), nullptr));
  }
  gtk_window_add_accel_group(GTK_WINDOW(g.window), accel);
  g_object_unref(accel);

  player.mainSurface = CreateSurface(kPlayerWindow.width, kPlayerWindow.height);
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(area, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
  g_signal_connect(area, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
  g_signal_connect(area, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
  gtk_box_pack_start(GTK_BOX(box), area, FALSE, FALSE, 0);
  if (player.mainSurface != nullptr) {
    ShowInWindow(area, *player.mainSurface);
    g_signal_connect(area, "notify::scale-factor", G_CALLBACK(OnMainScaleChanged), nullptr);
  }
  gtk_widget_show_all(g.window);
  DoNotWaitForTheCompositor(g.window);
  SayWhatTheWindowShows(kListenerChanges);
  return true;
}

gboolean OnFirstFrameDeadline(gpointer passed) {
  *static_cast<bool*>(passed) = true;
  return G_SOURCE_REMOVE;
}

void ShowFirstFrame(Player& player) {
  if (g.area == nullptr) return;
  // A window manager maps a window within a few frames; a display that never
  // does must not hold up start-up for longer than this.
  constexpr guint kFirstFrameWaitMs = 2000;
  bool deadlinePassed = false;
  const guint deadline = g_timeout_add(kFirstFrameWaitMs, OnFirstFrameDeadline, &deadlinePassed);
  while (!g.firstFrameShown && !deadlinePassed && !player.handler.quitPending) g_main_context_iteration(nullptr, TRUE);
  if (!deadlinePassed) g_source_remove(deadline);
  gdk_display_flush(gtk_widget_get_display(g.area));
}

// A termination signal arrived: the same way out as the close box.
gboolean OnTerminationWake(gint fd, GIOCondition, gpointer) {
  char bytes[16];
  while (read(fd, bytes, sizeof bytes) > 0) {
  }
  Quit();
  return G_SOURCE_CONTINUE;
}

void StartTimers(Player& player) {
  for (const TimerDescription& timer : kTimers) {
    g.timerIds.push_back(g_timeout_add(timer.intervalMs, OnTimer, GINT_TO_POINTER(timer.id)));
  }
  if (LaterStartsFd() >= 0) g.laterStartsWatch = g_unix_fd_add(LaterStartsFd(), G_IO_IN, OnLaterStart, nullptr);
  // The player is up and its loop about to run: from here on the desktop may drive it.
  StartMediaControls(player, {DesktopCanRun, RunFromDesktop, PresentPlayerWindow, Quit});
}

void ShowMessageBox(const Text& title, const Text& message) {
  GtkWidget* dialog = gtk_message_dialog_new(g.window ? GTK_WINDOW(g.window) : nullptr,
                                             GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", TextToUtf8(message).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), TextToUtf8(title).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          g.window ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  g.openBox = dialog;  // a quit request closes it
  gtk_dialog_run(GTK_DIALOG(dialog));
  g.openBox = nullptr;
  gtk_widget_destroy(dialog);
}

void CloseMessageBox() {
  if (g.openBox != nullptr) gtk_dialog_response(GTK_DIALOG(g.openBox), GTK_RESPONSE_DELETE_EVENT);
}

Surface* OpenSideWindow(const SideWindow& description) {
  // A second opening replaces the first.
  for (const auto& open : g.sides) {
    if (open->side == &description) {
      DestroySideWindow(open.get());
      break;
    }
  }
  auto side = std::make_unique<SideState>();
  side->side = &description;
  GtkWidget* area = NewDrawingArea(&side->surface);
  side->window = NewWindow(description.window, area);
  if (side->window == nullptr) {
    gtk_widget_destroy(area);
    return nullptr;
  }
  g_signal_connect(side->window, "delete-event", G_CALLBACK(OnSideWindowDelete), side.get());
  gtk_container_add(GTK_CONTAINER(side->window), area);
  side->surface = CreateSurface(description.window.width, description.window.height);
  if (side->surface != nullptr) {
    ShowInWindow(area, *side->surface);
    g_signal_connect(area, "notify::scale-factor", G_CALLBACK(OnSideScaleChanged), side.get());
  }
  gtk_widget_show_all(side->window);
  Surface* surface = side->surface;
  g.sides.push_back(std::move(side));
  return surface;
}

void CloseWindows(Player& player) {
  StopMediaControls();
  StopKeepingAwake();
  for (guint id : g.timerIds) g_source_remove(id);
  g.timerIds.clear();
  if (g.laterStartsWatch != 0) g_source_remove(g.laterStartsWatch);
  g.laterStartsWatch = 0;
  while (!g.sides.empty()) DestroySideWindow(g.sides.back().get());
  DestroyPlayedSongsWindowGtk(player);
  if (g.window != nullptr) {
    gtk_widget_destroy(g.window);
    g.window = nullptr;
    g.area = nullptr;
  }
  DestroySurface(player.mainSurface);
  g.player = nullptr;
}

#ifdef GDK_WINDOWING_X11
// The X server went away (stopped, or the session ended without a word):
// Xlib ends the process once this returns, and GDK's own handler with code
// 1. The stream and the engine are released first, as a quit does, and the
// process ends with 0 without running anything more of GTK's.
int OnDisplayLost(Display*) {
  if (g.player != nullptr) ShutDown(*g.player);
  _exit(0);
}
#endif

}  // namespace

void WakeForResults() {
  // At the default priority: applied between frames, not after them all.
  if (!resultsWakePending.exchange(true)) g_idle_add_full(G_PRIORITY_DEFAULT, OnResultsReady, nullptr, nullptr);
}

bool InitToolkit() {
  // Everything is painted into Cairo image surfaces; without this GDK loads
  // the whole OpenGL stack (some 50 MB) just to look for GL visuals.
  g_setenv("GDK_GL", "disable", FALSE);
  if (!gtk_init_check(nullptr, nullptr)) return false;
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) XSetIOErrorHandler(OnDisplayLost);
#endif
  if (TerminationWakeFd() >= 0) g_unix_fd_add(TerminationWakeFd(), G_IO_IN, OnTerminationWake, nullptr);
  return true;
}

Shell MakeGtkShell(Player& player) {
  g.player = &player;
  Shell shell;
  shell.showMessageBox = ShowMessageBox;
  shell.closeMessageBox = CloseMessageBox;
  shell.openPlayerWindow = OpenPlayerWindow;
  shell.showFirstFrame = ShowFirstFrame;
  shell.startTimers = StartTimers;
  shell.runEventLoop = [](Player&) { gtk_main(); };
  shell.leaveEventLoop = gtk_main_quit;
  shell.openSideWindow = OpenSideWindow;
  shell.openPlayedSongs = [](Player& player) { OpenPlayedSongsWindowGtk(player, Deliver); };
  shell.copyText = CopyToClipboardGtk;
  shell.openWebPage = OpenWebPage;
  shell.notifyChanged = FollowWhatTheListenerSees;
  shell.closeWindows = CloseWindows;
  return shell;
}
