#include "app/player_state.h"

#include "app/config.h"

void InitPlayerState(Player& player) {
  static_cast<PlayerModel&>(player) = PlayerModel{};
  player.audioLibrary = AudioLibrary{};
}

StationConfig BuiltInConfig() {
  return {kStreamUrl, kStationSiteUrl, kPodcastUrl, kTop30Url, kForumUrl, kItunesBase, kDeezerBase};
}
