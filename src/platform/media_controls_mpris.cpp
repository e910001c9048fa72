// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/media_controls_mpris.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/window_description.h"
#include "os/log.h"
#include "platform/media_status.h"
#include "platform/cover_art_file.h"

namespace {

constexpr const char* kBusName = "org.mpris.MediaPlayer2.orvelle_player";
constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

// A live stream: no track list, no seeking, no rate but 1, no position.
// Pause stops (there is nothing to resume), so CanPause says it does something.
const char kIntrospection[] = R"xml(
<node>
  <interface name='org.mpris.MediaPlayer2'>
    <method name='Raise'/>
    <method name='Quit'/>
    <property name='CanQuit' type='b' access='read'/>
    <property name='CanRaise' type='b' access='read'/>
    <property name='HasTrackList' type='b' access='read'/>
    <property name='Identity' type='s' access='read'/>
    <property name='DesktopEntry' type='s' access='read'/>
    <property name='SupportedUriSchemes' type='as' access='read'/>
    <property name='SupportedMimeTypes' type='as' access='read'/>
  </interface>
  <interface name='org.mpris.MediaPlayer2.Player'>
    <method name='Next'/>
    <method name='Previous'/>
    <method name='Pause'/>
    <method name='PlayPause'/>
    <method name='Stop'/>
    <method name='Play'/>
    <method name='Seek'><arg direction='in' name='Offset' type='x'/></method>
    <method name='SetPosition'>
      <arg direction='in' name='TrackId' type='o'/><arg direction='in' name='Position' type='x'/>
    </method>
    <method name='OpenUri'><arg direction='in' name='Uri' type='s'/></method>
    <signal name='Seeked'><arg name='Position' type='x'/></signal>
    <property name='PlaybackStatus' type='s' access='read'/>
    <property name='Rate' type='d' access='readwrite'/>
    <property name='Metadata' type='a{sv}' access='read'/>
    <property name='Volume' type='d' access='readwrite'/>
    <property name='Position' type='x' access='read'/>
    <property name='MinimumRate' type='d' access='read'/>
    <property name='MaximumRate' type='d' access='read'/>
    <property name='CanGoNext' type='b' access='read'/>
    <property name='CanGoPrevious' type='b' access='read'/>
    <property name='CanPlay' type='b' access='read'/>
    <property name='CanPause' type='b' access='read'/>
    <property name='CanSeek' type='b' access='read'/>
    <property name='CanControl' type='b' access='read'/>
  </interface>
</node>)xml";

// Everything runs on the user-interface thread: GDBus calls back through
// the main context, which only the event loop (and the nested loops of
// message boxes and start-up) iterate.
struct MediaControls {
  const PlayerModel* player = nullptr;
  MediaControlsHooks hooks;
  GDBusNodeInfo* node = nullptr;
  guint ownerId = 0, instanceOwnerId = 0;
  GDBusConnection* bus = nullptr;  // while the objects are registered on it
  guint registrations[2] = {0, 0};
  // What was last published; properties are read from here, so that a
  // reader sees what the last PropertiesChanged said.
  MediaStatus status;
  std::string artUrl;  // "" when no cover is published
};

MediaControls m;

bool Is(const gchar* a, const char* b) { return g_strcmp0(a, b) == 0; }

GVariant* Metadata() {
  const MediaStatus& status = m.status;
  GVariantBuilder entries;
  g_variant_builder_init(&entries, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&entries, "{sv}", "mpris:trackid",
                        g_variant_new_object_path(TrackObjectPath(status.songNumber).c_str()));
  if (!status.title.empty()) {
    g_variant_builder_add(&entries, "{sv}", "xesam:title", g_variant_new_string(TextToUtf8(status.title).c_str()));
  }
  if (!status.artist.empty()) {
    const std::string artist = TextToUtf8(status.artist);
    const gchar* artists[] = {artist.c_str(), nullptr};
    g_variant_builder_add(&entries, "{sv}", "xesam:artist", g_variant_new_strv(artists, 1));
  }
  if (!m.artUrl.empty()) g_variant_builder_add(&entries, "{sv}", "mpris:artUrl", g_variant_new_string(m.artUrl.c_str()));
  return g_variant_builder_end(&entries);
}

GVariant* PlayerProperty(const gchar* name) {
  const MediaStatus& status = m.status;
  if (Is(name, "PlaybackStatus")) return g_variant_new_string(status.playing ? "Playing" : "Stopped");
  if (Is(name, "Metadata")) return Metadata();
  if (Is(name, "Volume")) return g_variant_new_double(status.volume);
  if (Is(name, "Position")) return g_variant_new_int64(0);
  if (Is(name, "Rate") || Is(name, "MinimumRate") || Is(name, "MaximumRate")) return g_variant_new_double(1.0);
  if (Is(name, "CanGoNext") || Is(name, "CanGoPrevious") || Is(name, "CanSeek")) return g_variant_new_boolean(FALSE);
  if (Is(name, "CanPlay") || Is(name, "CanPause") || Is(name, "CanControl")) return g_variant_new_boolean(TRUE);
  return nullptr;
}

GVariant* RootProperty(const gchar* name) {
  if (Is(name, "CanQuit") || Is(name, "CanRaise")) return g_variant_new_boolean(TRUE);
  if (Is(name, "HasTrackList")) return g_variant_new_boolean(FALSE);
  if (Is(name, "Identity")) return g_variant_new_string(kPlayerWindow.title);
  if (Is(name, "DesktopEntry")) return g_variant_new_string("orvelle-player");
  if (Is(name, "SupportedUriSchemes") || Is(name, "SupportedMimeTypes")) return g_variant_new_strv(nullptr, 0);
  return nullptr;
}

GVariant* OnGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar* interface, const gchar* name,
                        GError** error, gpointer) {
  GVariant* value = Is(interface, kPlayerInterface) ? PlayerProperty(name) : RootProperty(name);
  if (value == nullptr) g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", name);
  return value;
}

// The same rule as the window's events: a command that comes while another
// handler runs (a message box is open) is not run; the caller is told.
bool CanRun(GError** error) {
  if (m.hooks.canRun && m.hooks.runCommand && m.hooks.canRun()) return true;
  g_set_error_literal(error, G_DBUS_ERROR, G_DBUS_ERROR_FAILED, "The player is busy with another request");
  return false;
}

gboolean OnSetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar* interface, const gchar* name,
                       GVariant* value, GError** error, gpointer) {
  if (Is(interface, kPlayerInterface) && Is(name, "Volume")) {
    // Exactly what a drag to that point does; the command clamps to 0..1
    // (no amplification), after a clamp here that keeps the float conversion defined.
    const double wanted = g_variant_get_double(value);
    const double bounded = std::isnan(wanted) ? 0.0 : std::clamp(wanted, -1.0, 2.0);
    if (!CanRun(error)) return FALSE;
    m.hooks.runCommand({Command::Kind::SetVolume, {}, float(bounded)});  // never waits on the network
    return TRUE;
  }
  if (Is(interface, kPlayerInterface) && Is(name, "Rate")) return TRUE;  // only 1.0 exists: nothing to change
  g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_PROPERTY_READ_ONLY, "%s is read-only", name);
  return FALSE;
}

// The caller is answered before the command runs: what the command leads
// to (an open of the stream, its message box) is the window's business.
void Answer(GDBusMethodInvocation* invocation, const Command& command) {
  GError* error = nullptr;
  if (!CanRun(&error)) {
    g_dbus_method_invocation_take_error(invocation, error);
    return;
  }
  g_dbus_method_invocation_return_value(invocation, nullptr);
  m.hooks.runCommand(command);
}

void OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar* interface, const gchar* method,
                  GVariant*, GDBusMethodInvocation* invocation, gpointer) {
  using Kind = Command::Kind;
  if (Is(interface, kRootInterface)) {
    if (Is(method, "Raise") && m.hooks.raiseWindow) m.hooks.raiseWindow();
    if (Is(method, "Quit") && m.hooks.quit) m.hooks.quit();
    g_dbus_method_invocation_return_value(invocation, nullptr);
  } else if (Is(method, "Play")) {
    Answer(invocation, {Kind::Play});
  } else if (Is(method, "Stop") || Is(method, "Pause")) {
    Answer(invocation, {Kind::Stop});
  } else if (Is(method, "PlayPause")) {
    Answer(invocation, PlayPauseCommand(m.status.playing));
  } else if (Is(method, "OpenUri")) {
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.NotSupported",
                                               "The player plays its station only");
  } else {
    g_dbus_method_invocation_return_value(invocation, nullptr);  // Next, Previous, Seek, SetPosition: no such thing
  }
}

// The cover the window shows, as a file of its own for this cover number.
void PublishCover(const SongState& song) {
  const uint32_t number = m.status.coverNumber;
  const Image& shown = song.coverScaled != nullptr ? song.coverScaled : song.coverImage;
  if (number == 0 || shown == nullptr) {
    RemoveCoverArt();
    m.artUrl.clear();
    return;
  }
  m.artUrl = PublishCoverArt(*shown, number);
}

void EmitChanges(unsigned changes) {
  GVariantBuilder changed;
  g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
  for (const auto& [bit, name] : {std::pair{kMediaPlaybackStatus, "PlaybackStatus"}, std::pair{kMediaMetadata, "Metadata"},
                                  std::pair{kMediaVolume, "Volume"}}) {
    if (changes & bit) g_variant_builder_add(&changed, "{sv}", name, PlayerProperty(name));
  }
  g_dbus_connection_emit_signal(m.bus, nullptr, kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                g_variant_new("(s@a{sv}@as)", kPlayerInterface, g_variant_builder_end(&changed),
                                              g_variant_new_strv(nullptr, 0)),
                                nullptr);
}

void OnBusAcquired(GDBusConnection* bus, const gchar*, gpointer) {
  static const GDBusInterfaceVTable vtable = {OnMethodCall, OnGetProperty, OnSetProperty, {nullptr}};
  const char* interfaces[2] = {kRootInterface, kPlayerInterface};
  for (int i = 0; i < 2; ++i) {
    GError* error = nullptr;
    GDBusInterfaceInfo* info = g_dbus_node_info_lookup_interface(m.node, interfaces[i]);
    m.registrations[i] = g_dbus_connection_register_object(bus, kObjectPath, info, &vtable, nullptr, nullptr, &error);
    if (m.registrations[i] == 0) {
      LogDiagnostic("media controls: %s", error->message);
      g_error_free(error);
    }
  }
  m.bus = G_DBUS_CONNECTION(g_object_ref(bus));
  // What the window shows already; nobody has read anything yet, so nothing is signalled.
  m.status = FirstMediaStatus(*m.player);
  PublishCover(m.player->song);
}

void OnNameLost(GDBusConnection* bus, const gchar* name, gpointer) {
  if (bus == nullptr) {
    LogDiagnostic("no session bus: no media controls");
    return;
  }
  // Another player has the name: this one takes a name of its own, as
  // media players do when several run.
  if (Is(name, kBusName) && m.instanceOwnerId == 0) {
    const std::string instance = std::string(kBusName) + ".instance" + std::to_string(getpid());
    m.instanceOwnerId = g_bus_own_name_on_connection(bus, instance.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                                                     nullptr, nullptr, nullptr, nullptr);
  }
}

}  // namespace

void StartMediaControls(const PlayerModel& player, MediaControlsHooks hooks) {
  if (m.player != nullptr) return;
  m.player = &player;
  m.hooks = std::move(hooks);
  m.node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  m.ownerId = g_bus_own_name(G_BUS_TYPE_SESSION, kBusName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, OnBusAcquired,
                             nullptr, OnNameLost, nullptr, nullptr);
}

void MediaControlsFollow(const PlayerModel& player, unsigned changes) {
  if (m.bus == nullptr || m.player != &player) return;
  const uint32_t coverBefore = m.status.coverNumber;
  const unsigned published = FollowChanges(m.status, player, changes);
  if (m.status.coverNumber != coverBefore) PublishCover(player.song);
  if (published != 0) EmitChanges(published);
}

void StopMediaControls() {
  if (m.player == nullptr) return;
  for (guint* id : {&m.instanceOwnerId, &m.ownerId}) {
    if (*id != 0) g_bus_unown_name(*id);
    *id = 0;
  }
  if (m.bus != nullptr) {
    for (guint& id : m.registrations) {
      if (id != 0) g_dbus_connection_unregister_object(m.bus, id);
      id = 0;
    }
    // The answer to a Quit, among others, must leave before the process does.
    g_dbus_connection_flush_sync(m.bus, nullptr, nullptr);
    g_clear_object(&m.bus);
  }
  RemoveCoverArt();
  if (m.node != nullptr) g_dbus_node_info_unref(m.node);
  m = MediaControls{};
}
