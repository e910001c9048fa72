#include "display/visualizer.h"

#include "audio/playback.h"

void FetchSpectrum(Player& player) {
  if (player.streamHandle == 0) return;
  if (!IsStreamLive(player)) return;
  Bass(player).BASS_ChannelGetData(player.streamHandle, player.spectrum.data(), kDataFft1024);
}
