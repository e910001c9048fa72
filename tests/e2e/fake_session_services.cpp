// SPDX-License-Identifier: GPL-3.0-or-later
// What a desktop session offers to keep it awake, on a test's private bus:
// the portal's Inhibit (each grant a request object that Close ends) and the
// GNOME session manager's Inhibit and Uninhibit. Every grant and release is
// one line on standard output ("inhibit portal ...", "release portal",
// "inhibit session-manager ...", "release session-manager"), and "ready"
// once the names are owned.
//   fake_session_services [--no-portal]
#include <gio/gio.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kPortalXml[] = R"xml(
<node>
  <interface name='org.freedesktop.portal.Inhibit'>
    <method name='Inhibit'>
      <arg direction='in' name='window' type='s'/><arg direction='in' name='flags' type='u'/>
      <arg direction='in' name='options' type='a{sv}'/><arg direction='out' name='handle' type='o'/>
    </method>
  </interface>
  <interface name='org.freedesktop.portal.Request'>
    <method name='Close'/>
  </interface>
</node>)xml";

const char kSessionManagerXml[] = R"xml(
<node>
  <interface name='org.gnome.SessionManager'>
    <method name='Inhibit'>
      <arg direction='in' name='app_id' type='s'/><arg direction='in' name='toplevel_xid' type='u'/>
      <arg direction='in' name='reason' type='s'/><arg direction='in' name='flags' type='u'/>
      <arg direction='out' name='cookie' type='u'/>
    </method>
    <method name='Uninhibit'><arg direction='in' name='cookie' type='u'/></method>
  </interface>
</node>)xml";

GDBusNodeInfo* g_portal = nullptr;
GDBusNodeInfo* g_sessionManager = nullptr;
guint g_nextRequest = 1;
int g_namesOwned = 0, g_namesWanted = 0;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// `registration` points at the request object's own registration id.
void OnRequestCall(GDBusConnection* bus, const gchar*, const gchar* path, const gchar*, const gchar*, GVariant*,
                   GDBusMethodInvocation* invocation, gpointer registration) {
  Say(std::string("release portal ") + path);
  g_dbus_method_invocation_return_value(invocation, nullptr);
  g_dbus_connection_unregister_object(bus, *static_cast<guint*>(registration));  // frees `registration`
}

void OnPortalCall(GDBusConnection* bus, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                  GDBusMethodInvocation* invocation, gpointer) {
  const gchar* window = nullptr;
  guint32 flags = 0;
  GVariant* options = nullptr;
  g_variant_get(parameters, "(&su@a{sv})", &window, &flags, &options);
  const gchar* reason = "";
  g_variant_lookup(options, "reason", "&s", &reason);
  const std::string path = "/org/freedesktop/portal/desktop/request/fake/r" + std::to_string(g_nextRequest++);
  static const GDBusInterfaceVTable request = {OnRequestCall, nullptr, nullptr, {nullptr}};
  GDBusInterfaceInfo* info = g_dbus_node_info_lookup_interface(g_portal, "org.freedesktop.portal.Request");
  guint* id = g_new0(guint, 1);
  *id = g_dbus_connection_register_object(bus, path.c_str(), info, &request, id, g_free, nullptr);
  Say("inhibit portal window=" + std::string(window) + " flags=" + std::to_string(flags) + " reason=" + reason);
  g_variant_unref(options);
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", path.c_str()));
}

void OnSessionManagerCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                          GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
  static guint32 nextCookie = 1;
  if (std::strcmp(method, "Inhibit") == 0) {
    const gchar *app = nullptr, *reason = nullptr;
    guint32 xid = 0, flags = 0;
    g_variant_get(parameters, "(&su&su)", &app, &xid, &reason, &flags);
    Say("inhibit session-manager app=" + std::string(app) + " xid=" + std::to_string(xid) +
        " flags=" + std::to_string(flags) + " reason=" + reason);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", nextCookie++));
  } else {
    guint32 cookie = 0;
    g_variant_get(parameters, "(u)", &cookie);
    Say("release session-manager " + std::to_string(cookie));
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }
}

void OnNameAcquired(GDBusConnection*, const gchar*, gpointer) {
  if (++g_namesOwned == g_namesWanted) Say("ready");
}

void OnNameLost(GDBusConnection*, const gchar* name, gpointer loop) {
  std::fprintf(stderr, "fake_session_services: cannot own %s\n", name);
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

}  // namespace

int main(int argc, char** argv) {
  const bool portal = !(argc > 1 && std::strcmp(argv[1], "--no-portal") == 0);
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) {
    std::fprintf(stderr, "fake_session_services: %s\n", error->message);
    return 1;
  }
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_portal = g_dbus_node_info_new_for_xml(kPortalXml, nullptr);
  g_sessionManager = g_dbus_node_info_new_for_xml(kSessionManagerXml, nullptr);
  static const GDBusInterfaceVTable portalCalls = {OnPortalCall, nullptr, nullptr, {nullptr}};
  static const GDBusInterfaceVTable sessionCalls = {OnSessionManagerCall, nullptr, nullptr, {nullptr}};
  g_dbus_connection_register_object(bus, "/org/gnome/SessionManager", g_sessionManager->interfaces[0], &sessionCalls,
                                    nullptr, nullptr, nullptr);
  g_namesWanted = portal ? 2 : 1;
  g_bus_own_name_on_connection(bus, "org.gnome.SessionManager", G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, OnNameAcquired,
                               OnNameLost, loop, nullptr);
  if (portal) {
    g_dbus_connection_register_object(bus, "/org/freedesktop/portal/desktop", g_portal->interfaces[0], &portalCalls,
                                      nullptr, nullptr, nullptr);
    g_bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop", G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                                 OnNameAcquired, OnNameLost, loop, nullptr);
  }
  g_main_loop_run(loop);  // until the test ends it
  return 1;
}
