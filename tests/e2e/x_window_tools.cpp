// SPDX-License-Identifier: GPL-3.0-or-later
#include "x_window_tools.h"

#include <X11/Xlib.h>

#include <cstdlib>

bool RequestClose(const std::string& display, const std::string& windowId) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::strtoul(windowId.c_str(), nullptr, 10);
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(x, event.xclient.window, False, NoEventMask, &event) != 0;
  XSync(x, False);
  XCloseDisplay(x);
  return sent;
}

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "x_session.h"

cairo_surface_t* ReferenceMessageBox(const XSession& session, const std::string& title, const std::string& message) {
  // The same call the player makes for its message, so that only the text
  // can make the two pictures differ.
  setenv("DISPLAY", session.display.c_str(), 1);
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                             message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_widget_show_all(dialog);
  const auto pump = [] {
    while (gtk_events_pending()) gtk_main_iteration();
  };
  cairo_surface_t* picture = nullptr;
  WaitUntil(
      [&] {
        pump();
        return gtk_widget_get_mapped(dialog);
      },
      std::chrono::seconds(5));
  if (gtk_widget_get_mapped(dialog)) {
    const std::string id = std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(dialog)));
    // Drawn and focused as the player's box was when it was captured.
    RunInSession(session, "xdotool windowfocus --sync " + id);
    WaitUntil([&] { pump(); return false; }, std::chrono::milliseconds(300));
    picture = CaptureWindow(session, id);
  }
  gtk_widget_destroy(dialog);
  pump();
  return picture;
}
