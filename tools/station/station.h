// SPDX-License-Identifier: GPL-3.0-or-later
// The demo station: the stream server and the two search services, each an
// HTTP server on its own port, sharing one on-air clock.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mp3_frames.h"
#include "options.h"
#include "playlist.h"
#include "timeline.h"

namespace httplib {
class Server;
class DataSink;
struct Request;
struct Response;
}  // namespace httplib

namespace station {

// The playlist's tracks read from the media folder; all must share one
// frame rate. Fills error and returns false otherwise.
bool LoadTracks(const std::string& mediaDir, const std::vector<Song>& songs,
                std::vector<Mp3Track>& tracks, std::string* error);

class Station {
 public:
  Station(StationOptions options, std::vector<Song> songs, std::vector<Mp3Track> tracks);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  // Binds the three ports and serves them on threads of their own.
  bool Start(std::string* error);
  // Ends every answer in progress within a fraction of a second and joins.
  void Stop();

  int StreamPort() const { return streamPort_; }
  int ItunesPort() const { return itunesPort_; }
  int DeezerPort() const { return deezerPort_; }

  int64_t UsSinceOrigin() const;
  const SongClock& Clock() const { return clock_; }
  const std::vector<Song>& Songs() const { return songs_; }

  // Receives one line per event (requests, listeners); called from server
  // threads, one call at a time.
  void SetLog(std::function<void(const std::string&)> log);

 private:
  void AddStreamRoutes(httplib::Server& server);
  void AddSearchRoutes(httplib::Server& server, bool itunes);
  void ServeStream(const httplib::Request& req, httplib::Response& res);
  bool SendStream(httplib::DataSink& sink, bool icy, int64_t connectUs);
  void ServePicture(const httplib::Request& req, httplib::Response& res);
  void Respond(httplib::Response& res, std::string body, const char* contentType, bool trickle);
  bool FaultsActive() const;
  // Whether the source is away now, in the outage --outage-after asks for.
  bool InOutage(int64_t nowUs) const;
  bool Trickles(const char* what) const;
  // Sleeps up to us, in short steps, returning false once the station stops.
  bool SleepUs(int64_t us) const;
  void Log(const std::string& line);
  std::string BaseUrl(int port) const;

  StationOptions options_;
  std::vector<Song> songs_;
  std::vector<Mp3Track> tracks_;
  std::vector<size_t> trackFrames_;
  SongClock clock_;
  FrameTiming timing_;
  std::chrono::steady_clock::time_point origin_;

  std::unique_ptr<httplib::Server> streamServer_, itunesServer_, deezerServer_;
  std::vector<std::thread> threads_;
  int streamPort_ = 0, itunesPort_ = 0, deezerPort_ = 0;
  std::atomic<bool> stopping_{false};

  std::atomic<int> listeners_{0};
  std::atomic<int> peakListeners_{0};
  std::atomic<long long> streamHits_{0};
  std::atomic<int64_t> firstListenerUs_{-1};

  std::mutex logMutex_;
  std::function<void(const std::string&)> log_;
};

}  // namespace station
