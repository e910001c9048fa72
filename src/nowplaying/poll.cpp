#include "nowplaying/poll.h"

void PollNowPlaying(Player& player) {
  // FIXME: the server is not asked yet; the now-playing text stays as it is.
  (void)player;
}
