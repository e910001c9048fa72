// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/events.h"
#include "audio/audio_library.h"
#include "display/view_colours.h"
#include "fake_audio.h"
#include "fake_shell.h"
#include "frame_fixture.h"
#include "os/os.h"

namespace {

const std::string kFakeLibrary = std::string(FAKE_BASS_DIR) + "/" + kAudioLibraryFile;

// Loads the in-process fake; the handle is a real load of the fake library
// so that unloading can be observed.
bool LoadFake(AudioLibrary& library) {
  library.handle = LoadSharedLibrary(kFakeLibrary);
  library.api = FakeAudioApi();
  return library.handle != nullptr;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
  int Run(std::function<void(Player&)> loop = {}, bool windowOpens = true,
          std::function<bool(AudioLibrary&)> loader = LoadFake) {
    player.shell = MakeFakeShell(shell, std::move(loop), windowOpens);
    player.config = BuiltInConfig();
    player.config.streamUrl = "http://127.0.0.1:1/;stream/1";
    return RunPlayer(player, loader);
  }
  const std::vector<std::string>& Calls() { return FakeLog().calls; }
  bool Called(const std::string& call) { return std::count(Calls().begin(), Calls().end(), call) > 0; }
  size_t IndexOf(const std::string& call) {
    return size_t(std::find(Calls().begin(), Calls().end(), call) - Calls().begin());
  }
  Player player;
  FakeShellLog shell;
};

TEST_F(StartupTest, MissingLibraryShowsOnlyTheBoxAndExitsZero) {
  EXPECT_EQ(Run({}, true, [](AudioLibrary&) { return false; }), 0);
  ASSERT_EQ(shell.messageBoxes.size(), 1u);
  EXPECT_EQ(shell.messageBoxes[0].first, "BASS manquant");
  EXPECT_EQ(shell.messageBoxes[0].second, "La biblioth\u00e8que '" + std::string(kAudioLibraryFile) +
                                              "' est introuvable. Place-la \u00e0 c\u00f4t\u00e9 de "
                                              "l'ex\u00e9cutable ou dans un chemin syst\u00e8me.");
  EXPECT_EQ(shell.windowsOpened, 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(StartupTest, FailedInitShowsTheCodeAndOpensNoWindow) {
  FakeScript().initResult = 0;
  FakeScript().errorCode = -1;
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(shell.messageBoxes.size(), 1u);
  EXPECT_EQ(shell.messageBoxes[0].first, "Erreur");
  EXPECT_EQ(shell.messageBoxes[0].second, "BASS_Init a \u00e9chou\u00e9 (code -1)");
  EXPECT_EQ(shell.windowsOpened, 0);
  EXPECT_EQ(Calls().front(), "BASS_Init(-1,44100,0,0,0)");
  EXPECT_FALSE(Called("BASS_Free()"));
  UnloadAudioLibrary(player.audioLibrary);
}

TEST_F(StartupTest, QuitWithoutPlayFreesOutputAndUnloadsButTouchesNoStream) {
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(shell.messageBoxes.empty());
  EXPECT_EQ(shell.windowsOpened, 1);
  EXPECT_EQ(shell.timersStarted, 1);
  EXPECT_EQ(TextToUtf8(player.playback.serverBase), "http://127.0.0.1:1");
  EXPECT_FALSE(Called("BASS_StreamCreateURL(0,0,0,0)"));
  EXPECT_FALSE(Called("BASS_StreamFree(7)"));
  EXPECT_EQ(Calls().back(), "BASS_Free()");
  EXPECT_EQ(player.audioLibrary.handle, nullptr);
  EXPECT_EQ(player.look.logoImage, nullptr);  // decoded at start-up, freed at shutdown
}

TEST_F(StartupTest, QuitWhilePlayingStopsBeforeFreeing) {
  EXPECT_EQ(Run([](Player& p) {
              DeliverEvent(p, {ShellEvent::Kind::Surface, 0, {PointerKind::LeftPress, 300, 230}});
              EXPECT_NE(p.playback.streamHandle, 0u);
            }),
            0);
  const size_t stop = IndexOf("BASS_ChannelStop(7)");
  const size_t free = IndexOf("BASS_StreamFree(7)");
  const size_t output = IndexOf("BASS_Free()");
  ASSERT_LT(output, Calls().size());
  EXPECT_LT(stop, free);
  EXPECT_LT(free, output);
  EXPECT_EQ(player.playback.streamHandle, 0u);
}

TEST_F(StartupTest, FirstFrameIsOnScreenBeforeThePollAndTheTimersStartAfterIt) {
  // Nothing answers: the poll asks the statistics page and the status page.
  player.httpGet = [this](const std::string& url, const FetchBounds&) -> std::optional<std::string> {
    shell.order.push_back("GET " + url.substr(url.find('/', url.find("://") + 3)));
    return std::nullopt;
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(shell.order,
            (std::vector<std::string>{"window", "shown", "GET /stats?json=1", "GET /7.html", "timers", "loop"}));
  EXPECT_EQ(shell.shownCoverPixel, Hex(kViewColours.placeholder)) << "the placeholder cover was not drawn yet";
}

TEST_F(StartupTest, WindowThatCannotOpenStillShutsDown) {
  EXPECT_EQ(Run({}, false), 0);
  EXPECT_EQ(shell.timersStarted, 0);
  EXPECT_EQ(Calls().back(), "BASS_Free()");
}

TEST_F(StartupTest, LogoIsDecodedFromTheEmbeddedPictureOpaque256) {
  int width = 0, height = 0, transparent = -1;
  EXPECT_EQ(Run([&](Player& p) {
              ASSERT_NE(p.look.logoImage, nullptr);
              width = ImageWidth(p.look.logoImage);
              height = ImageHeight(p.look.logoImage);
              transparent = 0;
              for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) transparent += (p.look.logoImage->Row(y)[x] >> 24) != 255;
            }),
            0);
  EXPECT_EQ(width, 256);
  EXPECT_EQ(height, 256);
  EXPECT_EQ(transparent, 0);
}

}  // namespace
