// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/keep_awake.h"

#include <gio/gio.h>

#include "os/log.h"

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kSessionManagerName = "org.gnome.SessionManager";
// A session slower than this to answer is not waited for any longer; nothing
// waits for it anyway, the reply is taken whenever it comes.
constexpr int kCallTimeoutMs = 5000;
constexpr guint32 kInhibitSuspend = 4;  // the same flag in both interfaces
constexpr const char* kReason = "\u00C9coute de la radio en direct";
constexpr const char* kDesktopId = "orvelle-player";  // the session manager finds the .desktop file by it

enum class Hold { None, Asking, Portal, SessionManager };

// All on the user-interface thread: GDBus calls back through its main context.
struct KeepAwake {
  GDBusConnection* bus = nullptr;
  bool busRequested = false;
  GCancellable* cancellable = nullptr;  // the calls in flight, cancelled at exit
  bool wanted = false;                  // the badge shows LIVE
  bool gaveUp = false;                  // nobody could be asked during this LIVE
  Hold hold = Hold::None;
  std::string request;  // the portal's request object, closed to let go
  guint32 cookie = 0;   // the session manager's cookie
  KeepAwakeWindow window;
};

KeepAwake k;

void Step();

bool Cancelled(const GError* error) { return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED); }

void OnSessionManagerReply(GObject* source, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply == nullptr) {
    if (!Cancelled(error)) {
      LogDiagnostic("nothing keeps the session awake: %s", error->message);
      k.hold = Hold::None;
      k.gaveUp = true;
    }
    g_error_free(error);
    return;
  }
  g_variant_get(reply, "(u)", &k.cookie);
  g_variant_unref(reply);
  k.hold = Hold::SessionManager;
  Step();  // the badge may have gone OFF meanwhile
}

void AskSessionManager() {
  g_dbus_connection_call(k.bus, kSessionManagerName, "/org/gnome/SessionManager", "org.gnome.SessionManager",
                         "Inhibit", g_variant_new("(susu)", kDesktopId, k.window.x11Window, kReason, kInhibitSuspend),
                         G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, k.cancellable,
                         OnSessionManagerReply, nullptr);
}

void OnPortalReply(GObject* source, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply == nullptr) {
    // No portal on this desktop (or one that refused): the older way.
    if (!Cancelled(error)) AskSessionManager();
    g_error_free(error);
    return;
  }
  const gchar* request = nullptr;
  g_variant_get(reply, "(&o)", &request);
  k.request = request;
  g_variant_unref(reply);
  k.hold = Hold::Portal;
  Step();
}

void AskPortal() {
  k.hold = Hold::Asking;
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "reason", g_variant_new_string(kReason));
  g_dbus_connection_call(k.bus, kPortalName, "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Inhibit",
                         "Inhibit",
                         g_variant_new("(sua{sv})", k.window.portalHandle.c_str(), kInhibitSuspend, &options),
                         G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, k.cancellable, OnPortalReply,
                         nullptr);
}

// No reply is awaited: what is let go is gone as far as the player knows.
void Release() {
  if (k.hold == Hold::Portal) {
    g_dbus_connection_call(k.bus, kPortalName, k.request.c_str(), "org.freedesktop.portal.Request", "Close", nullptr,
                           nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr, nullptr);
  } else if (k.hold == Hold::SessionManager) {
    g_dbus_connection_call(k.bus, kSessionManagerName, "/org/gnome/SessionManager", "org.gnome.SessionManager",
                           "Uninhibit", g_variant_new("(u)", k.cookie), nullptr, G_DBUS_CALL_FLAGS_NONE,
                           kCallTimeoutMs, nullptr, nullptr, nullptr);
  }
  k.hold = Hold::None;
  k.request.clear();
  k.cookie = 0;
}

void OnBus(GObject*, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_finish(result, &error);
  if (bus == nullptr) {
    if (!Cancelled(error)) LogDiagnostic("no session bus to keep the session awake: %s", error->message);
    g_error_free(error);
    return;
  }
  k.bus = bus;
  Step();
}

// Brings what is held in line with what is wanted; a call in flight is
// waited for, and its reply steps again.
void Step() {
  if (k.bus == nullptr) {
    if (k.wanted && !k.busRequested) {
      k.busRequested = true;
      if (k.cancellable == nullptr) k.cancellable = g_cancellable_new();
      g_bus_get(G_BUS_TYPE_SESSION, k.cancellable, OnBus, nullptr);
    }
    return;
  }
  if (k.wanted && k.hold == Hold::None && !k.gaveUp) {
    AskPortal();
  } else if (!k.wanted && (k.hold == Hold::Portal || k.hold == Hold::SessionManager)) {
    Release();
  }
}

}  // namespace

void KeepAwakeWhile(bool onAir, const KeepAwakeWindow& window) {
  if (onAir && !k.wanted) k.gaveUp = false;  // each LIVE asks afresh
  k.wanted = onAir;
  k.window = window;
  Step();
}

void StopKeepingAwake() {
  k.wanted = false;
  if (k.cancellable != nullptr) {
    g_cancellable_cancel(k.cancellable);
    g_clear_object(&k.cancellable);
  }
  if (k.bus == nullptr) return;
  Release();
  // The release must leave before the process does.
  g_dbus_connection_flush_sync(k.bus, nullptr, nullptr);
  g_clear_object(&k.bus);
}
