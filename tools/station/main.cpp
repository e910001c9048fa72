// SPDX-License-Identifier: GPL-3.0-or-later
// orvelle-station: a stand-in for the station's stream server and the two
// cover search services, on the local machine, for the demo and for tests.
// It prints one line per event on stdout, so a test can follow it:
//   ports stream=N itunes=N deezer=N     once, when all three listen
//   song INDEX ELAPSED_MS Artist - Title  when a song goes on air
//   request SERVER STATUS TARGET          after each answer (unless --quiet)
//   listener +|- COUNT                    when a stream listener comes or goes
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>

#include "station.h"

namespace {

std::mutex printMutex;

void PrintLine(const std::string& line) {
  std::lock_guard lock(printMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") {
      std::cout << station::StationUsage();
      return 0;
    }
  }
  std::string error;
  auto options = station::ParseStationOptions(args, &error);
  if (!options) {
    std::cerr << "orvelle-station: " << error << "\n" << station::StationUsage();
    return 2;
  }
  if (options->mediaDir.empty()) options->mediaDir = ORVELLE_STATION_MEDIA_DIR;

  // Signals are taken synchronously by the main thread below; every thread
  // started from here on inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  if (options->dieWithParent) {
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) return 0;  // the parent is already gone
  }

  const auto& songs = station::DemoPlaylist();
  std::vector<station::Mp3Track> tracks;
  if (!station::LoadTracks(options->mediaDir, songs, tracks, &error)) {
    std::cerr << "orvelle-station: " << error << "\n";
    return 1;
  }
  station::Station st(*options, songs, std::move(tracks));
  if (options->logRequests) st.SetLog(PrintLine);
  else st.SetLog([](const std::string& line) { if (line.rfind("listener", 0) == 0) PrintLine(line); });
  if (!st.Start(&error)) {
    std::cerr << "orvelle-station: " << error << "\n";
    return 1;
  }
  PrintLine("ports stream=" + std::to_string(st.StreamPort()) + " itunes=" +
            std::to_string(st.ItunesPort()) + " deezer=" + std::to_string(st.DeezerPort()));

  const auto& clock = st.Clock();
  const int64_t exitUs = static_cast<int64_t>(options->exitAfterSeconds * 1e6);
  int64_t shownSlot = INT64_MIN;
  for (;;) {
    const int64_t now = st.UsSinceOrigin();
    const int64_t slot = clock.SlotAt(now);
    if (slot != shownSlot) {
      const int index = clock.SongOfSlot(slot);
      PrintLine("song " + std::to_string(index) + " " + std::to_string(now / 1000) + " " +
                station::OnAirText(songs[index]));
      shownSlot = slot;
    }
    if (exitUs > 0 && now >= exitUs) break;
    int64_t waitUs = clock.SlotStartUs(slot + 1) - now;
    if (exitUs > 0) waitUs = std::min(waitUs, exitUs - now);
    timespec timeout{static_cast<time_t>(waitUs / 1'000'000), static_cast<long>(waitUs % 1'000'000) * 1000};
    const int sig = sigtimedwait(&signals, nullptr, &timeout);
    if (sig > 0) break;
  }
  PrintLine("stopping");
  st.Stop();
  return 0;
}
