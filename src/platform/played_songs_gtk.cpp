// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/played_songs_gtk.h"

#include <gtk/gtk.h>

#include <cmath>

#include "app/window_description.h"
#include "display/played_songs_view.h"

namespace {

struct PlayedSongsWindow {
  Player* player = nullptr;
  GtkWidget* window = nullptr;
  Surface* surface = nullptr;
  std::function<void(const ShellEvent&)> deliver;
};

PlayedSongsWindow w;

void Send(PlayedSongsInput input) {
  if (w.deliver) w.deliver({ShellEvent::Kind::PlayedSongs, 0, {}, {}, input});
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer) {
  if (w.surface == nullptr) return TRUE;
  const PixelView view = SurfacePixels(*w.surface);
  cairo_surface_t* pixels = cairo_image_surface_create_for_data(const_cast<unsigned char*>(view.data),
                                                                CAIRO_FORMAT_RGB24, view.width, view.height, view.stride);
  cairo_surface_set_device_scale(pixels, view.scale, view.scale);
  cairo_set_source_surface(cr, pixels, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(pixels);
  return TRUE;
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* e, gpointer) {
  if (e->button == GDK_BUTTON_PRIMARY && e->type == GDK_BUTTON_PRESS) {
    Send({PlayedSongsInput::Kind::Click, int(std::floor(e->x)), int(std::floor(e->y))});
  }
  return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* e, gpointer) {
  double dx = 0, dy = 0;
  float notches = 0;
  if (e->direction == GDK_SCROLL_UP) notches = -1;
  else if (e->direction == GDK_SCROLL_DOWN) notches = 1;
  else if (e->direction == GDK_SCROLL_SMOOTH && gdk_event_get_scroll_deltas(reinterpret_cast<GdkEvent*>(e), &dx, &dy)) notches = float(dy);
  if (notches != 0) Send({PlayedSongsInput::Kind::Scroll, 0, 0, notches});
  return TRUE;
}

void Destroy() {
  if (w.window != nullptr) {
    GtkWidget* window = w.window;
    w.window = nullptr;
    gtk_widget_destroy(window);
  }
  if (w.player != nullptr) ClosePlayedSongs(*w.player);
  DestroySurface(w.surface);
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, gpointer) {
  if (e->keyval == GDK_KEY_Escape) {
    Destroy();
    return TRUE;
  }
  const bool control = (e->state & gtk_accelerator_get_default_mod_mask()) == GDK_CONTROL_MASK;
  if (control && (e->keyval == GDK_KEY_c || e->keyval == GDK_KEY_C)) {
    Send({PlayedSongsInput::Kind::CopySelected});
    return TRUE;
  }
  return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer) {
  Destroy();
  return TRUE;
}

// Drawn again at the display's new scale.
void OnScaleChanged(GObject* area, GParamSpec*, gpointer) {
  if (w.surface == nullptr || w.player == nullptr) return;
  SetSurfaceScale(*w.surface, gtk_widget_get_scale_factor(GTK_WIDGET(area)));
  DrawPlayedSongsWindow(*w.player);
}

}  // namespace

void OpenPlayedSongsWindowGtk(Player& player, std::function<void(const ShellEvent&)> deliver) {
  if (w.window != nullptr) {
    gtk_window_present(GTK_WINDOW(w.window));
    return;
  }
  w.player = &player;
  w.deliver = std::move(deliver);
  w.surface = CreateSurface(kPlayedSongsWidth, kPlayedSongsHeight);
  if (w.surface == nullptr) return;
  w.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(w.window), kPlayedSongsWindow.title);
  gtk_window_set_position(GTK_WINDOW(w.window), GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(GTK_WINDOW(w.window), GDK_WINDOW_TYPE_HINT_DIALOG);
  g_signal_connect(w.window, "delete-event", G_CALLBACK(OnDelete), nullptr);
  g_signal_connect(w.window, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
  g_signal_connect(area, "draw", G_CALLBACK(OnDraw), nullptr);
  g_signal_connect(area, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
  g_signal_connect(area, "scroll-event", G_CALLBACK(OnScroll), nullptr);
  gtk_container_add(GTK_CONTAINER(w.window), area);
  gtk_widget_set_size_request(area, kPlayedSongsWidth, kPlayedSongsHeight);
  gtk_window_set_resizable(GTK_WINDOW(w.window), FALSE);
  SetPresent(*w.surface, [area](int x, int y, int width, int height) { gtk_widget_queue_draw_area(area, x, y, width, height); });
  SetSurfaceScale(*w.surface, gtk_widget_get_scale_factor(area));
  g_signal_connect(area, "notify::scale-factor", G_CALLBACK(OnScaleChanged), nullptr);
  OpenPlayedSongs(player, w.surface);
  gtk_widget_show_all(w.window);
}

void DestroyPlayedSongsWindowGtk(Player&) { Destroy(); }

void CopyToClipboardGtk(const Text& text) {
  const std::string utf8 = TextToUtf8(text);
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), utf8.c_str(), gint(utf8.size()));
}
