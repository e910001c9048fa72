// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one painted frame of the main view in each visualizer mode, with a
// full spectrum, a two-line title, a cover and a stream that answers with
// samples, at display scale 1 and 2. Mode 6 draws no visualizer: the cost of
// the rest of the frame. With "song" 0 the song stays, as from one tick to
// the next; with 1 it changes on every frame, which is then drawn whole.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/fonts.h"
#include "app/player_state.h"
#include "app/frame.h"
#include "app/rescale_cover.h"
#include "fake_audio.h"
#include "nowplaying/now_playing.h"
#include "text/title_text.h"

namespace {

// A player on the fake audio library, with its fonts, layout and surface.
void SetUpPlayer(Player& player) {
  ResetFake();
  InitPlayerState(player);
  player.audioLibrary.api = FakeAudioApi();
  LoadFonts(player.look.fonts);
  ComputeLayout(player.look.layout, player.playback.volume);
  player.mainSurface = CreateSurface(kMainSurfaceWidth, kMainSurfaceHeight);
}

void RenderMainViewInMode(benchmark::State& state) {
  Player player;
  SetUpPlayer(player);
  FakeScript().spectrumValue = 0.3f;
  player.playback.streamHandle = 7;  // live: LIVE badge, and the oscilloscope gets 1024 samples
  player.song.currentSong = T("Blue Sky & The Northern Orchestra - Night Song Across The Silent Harbour (Extended Radio Edit)");
  player.visualizer.visualizerMode = VisualizerMode(state.range(0));
  SetSurfaceScale(*player.mainSurface, int(state.range(1)));
  player.song.coverImage = CreateImage(600, 600);  // the size the search services mostly give
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 600; ++x) player.song.coverImage->Row(y)[x] = 0xFF000000u | uint32_t(x * 7 + y * 13);
  }
  RescaleCover(player.song, player.look.layout.coverBox);
  // A spectrum that varies from bin to bin, as music does.
  for (size_t k = 0; k < player.visualizer.spectrum.size(); ++k) player.visualizer.spectrum[k] = 0.5f + 0.5f * std::sin(float(k) * 0.37f);
  FakeScript().samples.resize(1024);
  for (size_t k = 0; k < 1024; ++k) FakeScript().samples[k] = std::sin(float(k) * 0.05f);

  const bool newSongEachFrame = state.range(2) != 0;
  const Text songs[2] = {player.song.currentSong, player.song.currentSong + T(" (Live)")};
  int frame = 0;
  RenderMainView(player);  // the first frame lays the texts out once
  for (auto _ : state) {
    player.visualizer.pulsePhase = std::fmod(player.visualizer.pulsePhase + 0.06f, 1.0f);
    if (newSongEachFrame) player.song.currentSong = songs[++frame % 2];
    RenderMainView(player);
    FakeLog().calls.clear();  // the fake notes every call; keep that out of the measurement's memory
  }
  DestroySurface(player.mainSurface);
}

BENCHMARK(RenderMainViewInMode)->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {1, 2}, {0, 1}})
    ->ArgNames({"mode", "scale", "song"})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// What a new title costs the user-interface thread before any request: the
// poll's clean-up, the cover update's text rules and the first frame that
// fits it to its lines. A status page may hand over a title as long as the
// page itself.
void NewLongTitle(benchmark::State& state) {
  Player player;
  SetUpPlayer(player);
  Text page = u"Blue Sky - ";
  while (page.size() < size_t(state.range(0))) page += u"Night Song Across The Harbour ";
  for (auto _ : state) {
    player.viewCaches = MainViewCaches{};
    player.song.currentSong = CleanTitle(page);
    const ArtistTitle parts = SplitNowPlaying(player.song.currentSong);
    benchmark::DoNotOptimize(UrlEncode(NormalizeForSearch(parts.artist) + u" " + NormalizeForSearch(parts.title)));
    RenderMainView(player);
    FakeLog().calls.clear();
  }
  DestroySurface(player.mainSurface);
}
BENCHMARK(NewLongTitle)->Arg(100)->Arg(4000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
