#include "app/player_state.h"

void InitPlayerState(Player& player) {
  static_cast<PlayerModel&>(player) = PlayerModel{};
  player.audioLibrary = AudioLibrary{};
}
