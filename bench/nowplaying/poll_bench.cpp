// SPDX-License-Identifier: GPL-3.0-or-later
// What one now-playing poll costs the user-interface thread when the stream
// server answers its statistics page at once (a server on 127.0.0.1).
#include <benchmark/benchmark.h>
#include "app/poll.h"
#include "os/os.h"
#include "support/local_server.h"
#include "nowplaying/now_playing.h"

namespace {

constexpr const char* kStatsPage =
    R"({"totalstreams":1,"activestreams":1,"currentlisteners":12,"peaklisteners":40,"maxlisteners":100,)"
    R"("uniquelisteners":11,"averagetime":1234,"version":"2.6.1.777 posix linux x64",)"
    R"("streams":[{"id":1,"currentlisteners":12,"peaklisteners":40,"maxlisteners":100,"uniquelisteners":11,)"
    R"("averagetime":1234,"servergenre":"Pop","serverurl":"http://127.0.0.1/","servertitle":"Station",)"
    R"("songtitle":"Blue Sky - Night Song","streamhits":1000,"streamstatus":1,"backupstatus":0,)"
    R"("streamlisted":0,"streamlistederror":0,"streampath":"/stream/1","streamuptime":86400,"bitrate":"128",)"
    R"("samplerate":"44100","content":"audio/mpeg"}]})";

// Same title on every poll and no cover to retry: the poll is the fetch,
// the parse and the comparison.
void BM_PollStatsPage(benchmark::State& state) {
  LocalServer server;
  server.Serve("/stats", kStatsPage, "application/json");
  Player player;
  player.httpGet = BoundedHttpGet(MonotonicMs, {});
  player.clockMs = MonotonicMs;  // the clock the fetches read
  player.playback.serverBase = T(server.Base());
  player.song.currentSong = u"Blue Sky - Night Song";
  for (auto _ : state) PollNowPlaying(player);
  if (player.song.currentSong != u"Blue Sky - Night Song") state.SkipWithError("the poll did not read the title");
}
BENCHMARK(BM_PollStatsPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parsing half alone, without the network.
void BM_StatsTitleFromMemory(benchmark::State& state) {
  const HttpGetFn httpGet = [](const std::string&, const FetchBounds&) { return std::optional<std::string>(kStatsPage); };
  for (auto _ : state) benchmark::DoNotOptimize(FetchStatsTitle(httpGet, u"http://station"));
}
BENCHMARK(BM_StatsTitleFromMemory)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  InitHttp();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CleanUpHttp();
  return 0;
}
