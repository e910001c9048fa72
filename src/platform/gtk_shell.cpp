#include "platform/gtk_shell.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cmath>

#include "app/about_window.h"
#include "app/events.h"
#include "app/listener_changes.h"
#include "display/visualizer.h"
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
  // A modal box runs a nested main loop in which timers, pointer and menu
  // signals still fire. Handlers must not run inside another handler, so
  // each one enters through Guard and events that arrive meanwhile are dropped.
  bool busy = false;
  bool quitRequested = false;
  bool looping = false;
};

GtkShellState g;

void QuitLoop() {
  if (g.busy) {
    g.quitRequested = true;  // leave once the running handler returns
    return;
  }
  if (g.looping) gtk_main_quit();
}

// Runs `fn` as one event handler unless another is already running.
template <typename Fn>
void Guard(Fn&& fn) {
  if (g.busy || g.player == nullptr) return;
  g.busy = true;
  RunHandler(*g.player, fn);
  g.busy = false;
  if (g.quitRequested) {
    g.quitRequested = false;
    QuitLoop();
  }
}

void DispatchMenu(int event) {
  Guard([event](Player& player) {
    if (HandleMenuEvent(player, event) == Dispatch::Quit) g.quitRequested = true;
  });
}

void OnMenuItem(GtkMenuItem*, gpointer event) { DispatchMenu(GPOINTER_TO_INT(event)); }

gboolean OnShortcut(GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer event) {
  DispatchMenu(GPOINTER_TO_INT(event));
  return TRUE;
}

gboolean OnTimer(gpointer timer) {
  Guard([timer](Player& player) { HandleTimer(player, GPOINTER_TO_INT(timer)); });
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
    cairo_set_source_surface(cr, pixels, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(pixels);
  }
  return TRUE;
}

void SendPointer(PointerKind kind, double x, double y) {
  const SurfaceEvent event{kind, int(std::floor(x)), int(std::floor(y))};
  Guard([&event](Player& player) { HandleSurfaceEvent(player, event); });
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
  QuitLoop();
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
  }
  gtk_widget_show_all(g.window);
  return true;
}

// A termination request (logout, kill) ends the run like "Quitter": the
// usual shutdown, exit code 0.
gboolean OnTerminationSignal(gpointer) {
  QuitLoop();
  return G_SOURCE_CONTINUE;
}

void StartTimers(Player&) {
  g.timerIds[0] = g_timeout_add(kNowPlayingIntervalMs, OnTimer, GINT_TO_POINTER(kTimerNowPlaying));
  g.timerIds[1] = g_timeout_add(kAnimationIntervalMs, OnTimer, GINT_TO_POINTER(kTimerAnimation));
}

void RunEventLoop(Player&) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) g_unix_signal_add(signal, OnTerminationSignal, nullptr);
  g.looping = true;
  gtk_main();
  g.looping = false;
}

void ShowMessageBox(const Text& title, const Text& message) {
  const bool wasBusy = g.busy;
  g.busy = true;  // nothing else runs while the box is open
  GtkWidget* dialog = gtk_message_dialog_new(g.window ? GTK_WINDOW(g.window) : nullptr,
                                             GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", TextToUtf8(message).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), TextToUtf8(title).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          g.window ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  g.busy = wasBusy;
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
    DrawAboutWindow(player, *g.aboutSurface);
  }
  gtk_widget_show_all(g.aboutWindow);
}

void CloseWindows(Player& player) {
  for (guint& id : g.timerIds) {
    if (id != 0) g_source_remove(id);
    id = 0;
  }
  DestroyAboutWindow();
  if (g.window != nullptr) {
    gtk_widget_destroy(g.window);
    g.window = nullptr;
    g.area = nullptr;
  }
  DestroySurface(player.mainSurface);
  g.player = nullptr;
}

}  // namespace

bool InitToolkit() {
  // Everything is painted into Cairo image surfaces; without this GDK loads
  // the whole OpenGL stack (some 50 MB) just to look for GL visuals.
  g_setenv("GDK_GL", "disable", FALSE);
  return gtk_init_check(nullptr, nullptr);
}

Shell MakeGtkShell() {
  Shell shell;
  shell.showMessageBox = ShowMessageBox;
  shell.openPlayerWindow = OpenPlayerWindow;
  shell.startTimers = StartTimers;
  shell.runEventLoop = RunEventLoop;
  shell.openAboutWindow = OpenAboutWindow;
  shell.openWebPage = OpenWebPage;
  shell.closeWindows = CloseWindows;
  return shell;
}
