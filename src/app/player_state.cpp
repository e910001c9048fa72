#include "app/player_state.h"

#include "app/config.h"

void InitPlayerState(Player& player) {
  player.audioLibrary = AudioLibrary{};
  player.logoImage = nullptr;
  player.visualizerMode = 1;
  player.peakLevels.fill(0.0f);
  player.peakFall = 0.02f;
  player.streamHandle = 0;
  player.volume = 0.8f;
  player.currentSong.clear();
  player.serverBase.clear();
  player.coverImage = nullptr;
  player.coverScaled = nullptr;
  player.spectrum.fill(0.0f);
  player.pulsePhase = 0.0f;
  player.volumeDragging = 0;
  player.handlingEvent = false;
  player.coverSong.clear();
  player.lastCoverAttemptMs = 0;
  player.coverFailCount = 0;
}

StationConfig BuiltInConfig() {
  return {kStreamUrl, kStationSiteUrl, kPodcastUrl, kTop30Url, kForumUrl, kItunesBase, kDeezerBase};
}
