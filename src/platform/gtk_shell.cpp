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

#include "app/about_window.h"
#include "app/events.h"
#include "app/screen_reader_text.h"
#include "app/startup.h"
#include "display/visualizer.h"
#include "platform/keep_awake.h"
#include "platform/media_controls_mpris.h"
#include "platform/played_songs_gtk.h"
#include "platform/termination.h"
#include "platform/web_page.h"

namespace {

// Everything the GTK side keeps. One player window per process.
struct GtkShellState {
  Player* player = nullptr;
  GtkWidget* window = nullptr;      // window 0
  GtkWidget* area = nullptr;        // shows surface 1
  GtkWidget* aboutWindow = nullptr; // window 2
  Surface* aboutSurface = nullptr;  // surface 20
  guint timerIds[2] = {0, 0};
  GtkWidget* openBox = nullptr;  // the message box being shown
  bool firstFrameShown = false;  // the main surface has been painted into the window
  bool quitPending = false;      // the user or a signal asked to quit
  bool looping = false;
};

GtkShellState g;

// Leaves the loop once asked to, but never from inside a handler: that one
// returns first (a message box it shows is closed by the request).
void QuitIfPending() {
  if (g.quitPending && g.looping && g.player != nullptr && !g.player->handlingEvent) gtk_main_quit();
}

void RequestQuit() {
  g.quitPending = true;
  if (g.openBox != nullptr) gtk_dialog_response(GTK_DIALOG(g.openBox), GTK_RESPONSE_DELETE_EVENT);
  QuitIfPending();
}

// What the background work handed back, applied between events. A handler
// that was running (a message box open) held it back: it comes after each.
void ApplyResults() {
  if (g.player == nullptr) return;
  ApplyBackgroundResults(*g.player);
  QuitIfPending();
}

void Deliver(const ShellEvent& event) {
  if (g.player == nullptr) return;
  if (DeliverEvent(*g.player, event) == Dispatch::Quit) g.quitPending = true;
  QuitIfPending();
  ApplyResults();
}

std::atomic<bool> resultsWakePending{false};

gboolean OnResultsReady(gpointer) {
  resultsWakePending.store(false);
  ApplyResults();
  return G_SOURCE_REMOVE;
}

// Whether a command from the desktop (its media controls) would run now,
// through the same guarded entry as the window's events: not while another
// handler runs.
bool DesktopCanRun() { return g.player != nullptr && !g.player->handlingEvent && g.looping; }

void RunFromDesktop(const Command& command) {
  if (DesktopCanRun()) Deliver({ShellEvent::Kind::Command, 0, {}, command});
}

void PresentPlayerWindow() {
  if (g.window != nullptr) gtk_window_present(GTK_WINDOW(g.window));
}

// The drawing area is all a screen reader finds in the window: its name and
// description say what the surface shows.
void SayWhatTheWindowShows() {
  if (g.area == nullptr || g.player == nullptr) return;
  AtkObject* accessible = gtk_widget_get_accessible(g.area);
  if (accessible == nullptr) return;
  const SpokenView spoken = DescribeMainView(*g.player);
  const std::string name = TextToUtf8(spoken.name), description = TextToUtf8(spoken.description);
  // Each setting is announced to assistive technologies: only real changes.
  if (g_strcmp0(atk_object_get_name(accessible), name.c_str()) != 0) atk_object_set_name(accessible, name.c_str());
  if (g_strcmp0(atk_object_get_description(accessible), description.c_str()) != 0) {
    atk_object_set_description(accessible, description.c_str());
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

// After each handler that changed what a listener sees, and once when the
// loop starts: the screen reader, the session and the media controls follow.
void FollowWhatTheListenerSees() {
  if (g.player == nullptr) return;
  SayWhatTheWindowShows();
  KeepAwakeWhile(g.player->streamLive, SessionWindow());
  MediaControlsFollow(*g.player);
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

gboolean OnPlayerWindowDelete(GtkWidget*, GdkEvent*, gpointer) {
  RequestQuit();
  return TRUE;  // the window is destroyed at shutdown, not here
}

void DestroyAboutWindow() {
  if (g.aboutWindow != nullptr) {
    gtk_widget_destroy(g.aboutWindow);
    g.aboutWindow = nullptr;
  }
  DestroySurface(g.aboutSurface);
}

gboolean OnAboutWindowDelete(GtkWidget*, GdkEvent*, gpointer) {
  DestroyAboutWindow();
  return TRUE;
}

void FixClientSize(GtkWidget* window, GtkWidget* area, int width, int height) {
  gtk_widget_set_size_request(area, width, height);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
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

// The About picture is drawn once: it is drawn again at the new scale.
void OnAboutScaleChanged(GObject* area, GParamSpec*, gpointer) {
  if (g.player == nullptr || g.aboutSurface == nullptr) return;
  SetSurfaceScale(*g.aboutSurface, gtk_widget_get_scale_factor(GTK_WIDGET(area)));
  DrawAboutWindow(*g.player, *g.aboutSurface);
}

void AddMenuItem(GtkWidget* menu, const char* label, int event) {
  GtkWidget* item = gtk_menu_item_new_with_label(label);  // no mnemonics: texts stay as written
  g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), GINT_TO_POINTER(event));
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
}

GtkWidget* AddMenu(GtkWidget* bar, const char* title) {
  GtkWidget* top = gtk_menu_item_new_with_label(title);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
  return menu;
}

GtkWidget* BuildMenuBar() {
  GtkWidget* bar = gtk_menu_bar_new();
  if (bar == nullptr) return nullptr;
  GtkWidget* file = AddMenu(bar, "Fichier");
  AddMenuItem(file, "Quitter", kMenuQuit);
  GtkWidget* station = AddMenu(bar, "Orvelle");
  AddMenuItem(station, "Site Orvelle\u2026", kMenuSite);
  AddMenuItem(station, "Podcast", kMenuPodcast);
  AddMenuItem(station, "Top 30", kMenuTop30);
  AddMenuItem(station, "Forum", kMenuForum);
  gtk_menu_shell_append(GTK_MENU_SHELL(station), gtk_separator_menu_item_new());
  AddMenuItem(station, "Titres diffus\u00E9s\u2026", kMenuPlayedSongs);
  GtkWidget* view = AddMenu(bar, "Affichage");
  for (int32_t mode = 0; mode < kVisualizerModeCount; ++mode) {
    AddMenuItem(view, kVisualizerModes[mode].label, kMenuVisualizerFirst + mode);
  }
  GtkWidget* about = AddMenu(bar, "\u00C0 propos");
  AddMenuItem(about, "\u00C0 propos de Orvelle\u2026", kMenuAbout);
  return bar;
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

bool OpenPlayerWindow(Player& player) {
  g.player = &player;
  g.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (g.window == nullptr) return false;
  gtk_window_set_title(GTK_WINDOW(g.window), "Orvelle Player");
  gtk_window_set_position(GTK_WINDOW(g.window), GTK_WIN_POS_CENTER);
  SetIconFromLogo(g.window, player.logoImage);
  g_signal_connect(g.window, "delete-event", G_CALLBACK(OnPlayerWindowDelete), nullptr);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(g.window), box);
  // The menu bar sits above the 800 by 300 surface and adds to the window's height.
  if (GtkWidget* bar = BuildMenuBar()) gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);

  GtkAccelGroup* accel = gtk_accel_group_new();
  gtk_accel_group_connect(accel, GDK_KEY_v, GdkModifierType(0), GtkAccelFlags(0),
                          g_cclosure_new(G_CALLBACK(OnShortcut), GINT_TO_POINTER(kMenuNextVisualizer), nullptr));
  gtk_accel_group_connect(accel, GDK_KEY_c, GDK_CONTROL_MASK, GtkAccelFlags(0),
                          g_cclosure_new(G_CALLBACK(OnShortcut), GINT_TO_POINTER(kMenuCopySong), nullptr));
  gtk_window_add_accel_group(GTK_WINDOW(g.window), accel);
  g_object_unref(accel);

  player.mainSurface = CreateSurface(kMainSurfaceWidth, kMainSurfaceHeight);
  g.area = NewDrawingArea(&player.mainSurface);
  gtk_widget_add_events(g.area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(g.area, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
  g_signal_connect(g.area, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
  g_signal_connect(g.area, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
  gtk_box_pack_start(GTK_BOX(box), g.area, FALSE, FALSE, 0);
  FixClientSize(g.window, g.area, kMainSurfaceWidth, kMainSurfaceHeight);
  if (player.mainSurface != nullptr) {
    GtkWidget* area = g.area;
    SetPresent(*player.mainSurface, [area](int x, int y, int w, int h) { gtk_widget_queue_draw_area(area, x, y, w, h); });
    SetSurfaceScale(*player.mainSurface, gtk_widget_get_scale_factor(area));
    g_signal_connect(area, "notify::scale-factor", G_CALLBACK(OnMainScaleChanged), nullptr);
  }
  gtk_widget_show_all(g.window);
  DoNotWaitForTheCompositor(g.window);
  SayWhatTheWindowShows();
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
  // Start-up is still running: pointer and menu events of these moments are
  // dropped like those that come while a handler runs.
  player.handlingEvent = true;
  while (!g.firstFrameShown && !deadlinePassed && !g.quitPending) g_main_context_iteration(nullptr, TRUE);
  player.handlingEvent = false;
  if (!deadlinePassed) g_source_remove(deadline);
  gdk_display_flush(gtk_widget_get_display(g.area));
}

// A termination signal arrived: the same way out as the close box.
gboolean OnTerminationWake(gint fd, GIOCondition, gpointer) {
  char bytes[16];
  while (read(fd, bytes, sizeof bytes) > 0) {
  }
  RequestQuit();
  return G_SOURCE_CONTINUE;
}

void StartTimers(Player& player) {
  g.timerIds[0] = g_timeout_add(kNowPlayingIntervalMs, OnTimer, GINT_TO_POINTER(kTimerNowPlaying));
  g.timerIds[1] = g_timeout_add(kAnimationIntervalMs, OnTimer, GINT_TO_POINTER(kTimerAnimation));
  // The player is up and its loop about to run: from here on the desktop may
  // drive it, and is told once what it shows.
  StartMediaControls(player, {DesktopCanRun, RunFromDesktop, PresentPlayerWindow, RequestQuit});
  FollowWhatTheListenerSees();
}

void RunEventLoop(Player&) {
  // Asked while the first frame was being shown: it ends at once. (A signal
  // that came later still waits in its pipe and ends the loop at its start.)
  if (g.quitPending) return;
  g.looping = true;
  gtk_main();
  g.looping = false;
}

void ShowMessageBox(const Text& title, const Text& message) {
  GtkWidget* dialog = gtk_message_dialog_new(g.window ? GTK_WINDOW(g.window) : nullptr,
                                             GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", TextToUtf8(message).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), TextToUtf8(title).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          g.window ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  g.openBox = dialog;  // a termination request closes it
  gtk_dialog_run(GTK_DIALOG(dialog));
  g.openBox = nullptr;
  gtk_widget_destroy(dialog);
}

void OpenAboutWindow(Player& player) {
  DestroyAboutWindow();  // a second opening replaces the first
  g.aboutWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (g.aboutWindow == nullptr) return;
  gtk_window_set_title(GTK_WINDOW(g.aboutWindow), "\u00C0 propos de Orvelle");
  gtk_window_set_position(GTK_WINDOW(g.aboutWindow), GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(GTK_WINDOW(g.aboutWindow), GDK_WINDOW_TYPE_HINT_DIALOG);  // no minimize box
  g_signal_connect(g.aboutWindow, "delete-event", G_CALLBACK(OnAboutWindowDelete), nullptr);
  g.aboutSurface = CreateSurface(kAboutWidth, kAboutHeight);
  GtkWidget* area = NewDrawingArea(&g.aboutSurface);
  gtk_container_add(GTK_CONTAINER(g.aboutWindow), area);
  FixClientSize(g.aboutWindow, area, kAboutWidth, kAboutHeight);
  if (g.aboutSurface != nullptr) {
    SetPresent(*g.aboutSurface, [area](int x, int y, int w, int h) { gtk_widget_queue_draw_area(area, x, y, w, h); });
    SetSurfaceScale(*g.aboutSurface, gtk_widget_get_scale_factor(area));
    DrawAboutWindow(player, *g.aboutSurface);
    g_signal_connect(area, "notify::scale-factor", G_CALLBACK(OnAboutScaleChanged), nullptr);
  }
  gtk_widget_show_all(g.aboutWindow);
}

void CloseWindows(Player& player) {
  StopMediaControls();
  StopKeepingAwake();
  for (guint& id : g.timerIds) {
    if (id != 0) g_source_remove(id);
    id = 0;
  }
  DestroyAboutWindow();
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

Shell MakeGtkShell() {
  Shell shell;
  shell.showMessageBox = ShowMessageBox;
  shell.openPlayerWindow = OpenPlayerWindow;
  shell.showFirstFrame = ShowFirstFrame;
  shell.startTimers = StartTimers;
  shell.runEventLoop = RunEventLoop;
  shell.openAboutWindow = OpenAboutWindow;
  shell.openPlayedSongsWindow = [](Player& player) { OpenPlayedSongsWindowGtk(player, Deliver); };
  shell.copyText = CopyToClipboardGtk;
  shell.openWebPage = OpenWebPage;
  shell.closeWindows = CloseWindows;
  shell.notifyChanged = [](unsigned) { FollowWhatTheListenerSees(); };
  return shell;
}
