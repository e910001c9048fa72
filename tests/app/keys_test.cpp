// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/keys.h"

#include <gtest/gtest.h>

#include "app/changes.h"
#include "app/controls.h"
#include "app/events.h"
#include "fake_audio.h"
#include "fake_shell.h"

namespace {

using M = KeyMeaning;

TEST(KeysTest, EachKeyMeansOneThingWithItsModifiersAndNothingWithOthers) {
  const struct {
    Key key;
    unsigned modifiers;
    KeyMeaning meaning;
  } cases[] = {
      {Key::Space, 0, M::PlayOrStop},          {Key::Space, kShiftHeld, M::Nothing},
      {Key::Space, kControlHeld, M::Nothing},     {Key::Enter, 0, M::PressFocused},
      {Key::Enter, kAltHeld, M::Nothing},         {Key::PlayPause, 0, M::PlayPause},
      {Key::Up, 0, M::VolumeUp},               {Key::Right, 0, M::VolumeUp},
      {Key::Down, 0, M::VolumeDown},           {Key::Left, 0, M::VolumeDown},
      {Key::Up, kShiftHeld, M::Nothing},          {Key::Left, kControlHeld, M::Nothing},
      {Key::Plus, 0, M::VolumeUp},             {Key::Plus, kShiftHeld, M::VolumeUp},
      {Key::Minus, kShiftHeld, M::VolumeDown}, {Key::Plus, kControlHeld, M::Nothing},
      {Key::Minus, kShiftHeld | kAltHeld, M::Nothing}, {Key::Tab, 0, M::FocusNext},
      {Key::Tab, kShiftHeld, M::FocusPrevious}, {Key::Tab, kControlHeld, M::Nothing},
      {Key::Q, kControlHeld, M::Quit},         {Key::Q, 0, M::Nothing},
      {Key::Q, kControlHeld | kShiftHeld, M::Nothing}, {Key::Q, kControlHeld | kSuperHeld, M::Nothing},
      {Key::Other, 0, M::Nothing},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MeaningOfKey(c.key, c.modifiers), c.meaning) << "key " << int(c.key) << " modifiers " << c.modifiers;
  }
}

TEST(KeysTest, VolumeStepsGoToTheNextFiveInTheirDirectionWithinTheEnds) {
  const struct {
    float from;
    int direction;
    float to;
  } cases[] = {{0.8f, +1, 0.85f}, {0.8f, -1, 0.75f}, {0.53f, +1, 0.55f}, {0.53f, -1, 0.5f},
               {0.98f, +1, 1.0f}, {1.0f, +1, 1.0f},  {0.02f, -1, 0.0f},  {0.0f, -1, 0.0f},
               // A hair off a step reads as that step (85 %): the next is a whole step away.
               {0.8499f, +1, 0.9f}, {0.8501f, -1, 0.8f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(StepVolume(c.from, c.direction), c.to) << c.from << " " << c.direction;
}

class KeysOnThePlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    player.audioLibrary.api = FakeAudioApi();
    player.shell = MakeFakeShell(shell);
    player.shell.notifyChanged = [this](unsigned changes) { heard |= changes; };
    player.mainSurface = CreateSurface(800, 300);  // a frame reads the live flag
    ComputeLayout(player.look.layout, player.playback.volume);
  }
  void TearDown() override { DestroySurface(player.mainSurface); }
  void Press(KeyMeaning meaning, bool repeat = false) {
    DeliverEvent(player, {ShellEvent::Kind::Key, 0, {}, {}, {}, {meaning, repeat}});
  }
  bool Live() const { return player.playback.streamLive; }
  Player player;
  FakeShellLog shell;
  unsigned heard = 0;
};

TEST_F(KeysOnThePlayer, SpacePlaysWhenOffAndStopsWhenLiveOncePerPress) {
  Press(M::PlayOrStop);
  EXPECT_TRUE(Live());
  Press(M::PlayOrStop, true);  // held: no stop
  EXPECT_TRUE(Live());
  Press(M::PlayOrStop);
  EXPECT_FALSE(Live());
  Press(M::PlayPause);
  EXPECT_TRUE(Live());
  Press(M::Quit, true);
  EXPECT_FALSE(player.handler.quitPending);
  Press(M::Quit);
  EXPECT_TRUE(player.handler.quitPending);
}

TEST_F(KeysOnThePlayer, ArrowsStepTheVolumeAndTheKnobEvenWhenHeld) {
  for (int i = 0; i < 6; ++i) Press(M::VolumeUp, i > 0);
  EXPECT_FLOAT_EQ(player.playback.volume, 1.0f);
  EXPECT_FLOAT_EQ(player.look.layout.volumeKnobBox.x, 440 + 180 - 9);
  for (int i = 0; i < 3; ++i) Press(M::VolumeDown, true);
  EXPECT_FLOAT_EQ(player.playback.volume, 0.85f);
  EXPECT_NE(heard & kVolumeChanged, 0u);
}

TEST_F(KeysOnThePlayer, TabRingsPlayStopVolumeAndEnterOrSpacePressesTheRingedButton) {
  Press(M::PressFocused);  // nothing ringed: nothing pressed
  EXPECT_FALSE(Live());
  const Control order[] = {Control::Play, Control::Stop, Control::Volume, Control::Play};
  for (const Control control : order) {
    Press(M::FocusNext);
    EXPECT_EQ(player.pointer.keyboardFocus, control);
  }
  Press(M::PressFocused);
  EXPECT_TRUE(Live());
  Press(M::FocusNext);
  Press(M::PlayOrStop);  // on stop: stops, and again stays stopped
  EXPECT_FALSE(Live());
  Press(M::PlayOrStop);
  EXPECT_FALSE(Live());
  EXPECT_NE(heard & kFocusChanged, 0u);

  // The pointer takes over: no ring, and Space toggles again.
  heard = 0;
  DeliverEvent(player, {ShellEvent::Kind::Surface, 0, {PointerKind::LeftPress, 10, 10}});
  EXPECT_EQ(player.pointer.keyboardFocus, Control::NoControl);
  EXPECT_NE(heard & kFocusChanged, 0u);
  Press(M::FocusPrevious);
  EXPECT_EQ(player.pointer.keyboardFocus, Control::Volume);
  Press(M::PlayOrStop);
  EXPECT_TRUE(Live());
}

}  // namespace
