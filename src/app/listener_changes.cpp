// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/listener_changes.h"

namespace {

// What a listener sees, as far as the notification tells it. The live flag
// is the one the last frame showed: reading it here would ask the library.
struct ListenerView {
  Text song;
  uint32_t coverSerial;
  bool playing;
  float volume;
};

ListenerView See(const Player& player) {
  return {player.currentSong, player.coverSerial, player.streamLive, player.volume};
}

unsigned Changes(const ListenerView& before, const ListenerView& after) {
  unsigned changes = 0;
  if (after.song != before.song) changes |= kSongChanged;
  if (after.coverSerial != before.coverSerial) changes |= kCoverChanged;
  if (after.playing != before.playing) changes |= kPlayingChanged;
  if (after.volume != before.volume) changes |= kVolumeChanged;
  return changes;
}

}  // namespace

void RunHandler(Player& player, const std::function<void(Player&)>& handler) {
  const ListenerView before = See(player);
  handler(player);
  const unsigned changes = Changes(before, See(player));
  if (changes != 0 && player.shell.notifyChanged) player.shell.notifyChanged(changes);
}
