// SPDX-License-Identifier: GPL-3.0-or-later
// Local stand-ins for a radio station, for the engine tests: the tests'
// local server (support/local_server.h) looping an audio file at the
// real-time pace, with optional in-stream titles, that can pause, hang up,
// go down or misbehave on demand.
#pragma once

#include <atomic>
#include <memory>
#include <string>

class LocalServer;

namespace orvelle::test {

struct StationOptions {
  std::string audioPath{};          // the file looped endlessly
  double fileSeconds = 6.0;         // its duration: sets the pace
  std::string contentType = "audio/mpeg";
  double burstSeconds = 0.5;        // sent at once on connect, as real stations do
  int icyMetaInterval = 0;          // bytes between titles when the client asks; 0: none
  long closeAfterBytes = -1;        // hang up after this much audio; -1: never
  int status = 200;                 // anything else: an error page
  std::string body{};               // when set, sent instead of audio (an HTML page...)
  std::string certPath{}, keyPath{};  // when set, serve HTTPS
  // Bytes that never become audio: after this much audio, NUL bytes without
  // end, fast (a test that fails on them stays cheap); -1: never.
  long junkAfterBytes = -1;
  double junkBytesPerSecond = 16e6;
  bool gzip = false;                // the stream goes out gzip-encoded, and says so (a body: as it is)
};

class StationServer {
 public:
  explicit StationServer(StationOptions options);
  ~StationServer();
  StationServer(const StationServer&) = delete;
  StationServer& operator=(const StationServer&) = delete;

  std::string url(const std::string& path = "/;stream/1") const;
  int port() const { return port_; }

  // While paused the connection stays open but no byte is sent.
  void setPaused(bool paused) { paused_.store(paused); }
  // Ends every stream being sent, as a station restart does.
  void hangUp() { ++hangUps_; }
  // While down every request gets a 503 answer.
  void setDown(bool down) { down_.store(down); }
  long bytesSent() const { return bytesSent_.load(); }
  int connections() const { return connections_.load(); }
  int titlesSent() const { return titlesSent_.load(); }

 private:
  void serve();

  StationOptions options_;
  std::string audio_;
  std::unique_ptr<LocalServer> server_;
  int port_ = 0;
  std::atomic<bool> paused_{false};
  std::atomic<bool> down_{false};
  std::atomic<int> hangUps_{0};
  std::atomic<bool> stopping_{false};
  std::atomic<long> bytesSent_{0};
  std::atomic<int> connections_{0};
  std::atomic<int> titlesSent_{0};
};

std::string ReadFile(const std::string& path);

// A file that the build made with the ffmpeg tool.
std::string Fixture(const std::string& name);

}  // namespace orvelle::test
