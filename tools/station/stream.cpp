// SPDX-License-Identifier: GPL-3.0-or-later
// The live stream: every listener gets the same endless sequence of frames,
// a short burst of the recent past at once and then each frame when its
// time comes, so a listener hears the station in real time.
#include <httplib.h>

#include <algorithm>
#include <memory>

#include "icy.h"
#include "station.h"

namespace station {

namespace {

constexpr size_t kMaxBatchBytes = 64 * 1024;  // bounds what one write holds in memory

// Counts a listener for as long as its answer lives, whichever way it ends.
struct ListenerSlot {
  std::atomic<int>& listeners;
  explicit ListenerSlot(std::atomic<int>& l) : listeners(l) {}
  ~ListenerSlot() { --listeners; }
};

}  // namespace

bool Station::InOutage(int64_t nowUs) const {
  const int64_t first = firstListenerUs_;
  if (options_.outageAfterSeconds < 0 || first < 0) return false;
  const int64_t startUs = first + static_cast<int64_t>(options_.outageAfterSeconds * 1e6);
  return nowUs >= startUs && nowUs < startUs + static_cast<int64_t>(options_.outageSeconds * 1e6);
}

void Station::ServeStream(const httplib::Request& req, httplib::Response& res) {
  if (InOutage(UsSinceOrigin())) {
    Log("stream refused: the source is away");
    res.status = 503;
    res.set_content("<html><body><h1>Stream unavailable</h1></body></html>", "text/html");
    return;
  }
  switch (options_.refuseStream) {
    case StreamRefusal::NotFound:
      res.status = 404;
      res.set_content("<html><body><h1>Stream not found</h1></body></html>", "text/html");
      return;
    case StreamRefusal::Unavailable:
      res.status = 503;
      res.set_content("<html><body><h1>Stream unavailable</h1></body></html>", "text/html");
      return;
    case StreamRefusal::Silent:
      SleepUs(static_cast<int64_t>(options_.stallSeconds * 1e6));
      res.status = 503;
      res.set_content("", "text/html");
      return;
    case StreamRefusal::EmptyClose:
    case StreamRefusal::None:
      break;
  }
  if (++listeners_ > options_.maxListeners) {
    --listeners_;
    res.status = 503;
    res.set_content("<html><body><h1>Server full</h1></body></html>", "text/html");
    return;
  }
  auto slot = std::make_shared<ListenerSlot>(listeners_);
  int peak = peakListeners_;
  while (peak < listeners_ && !peakListeners_.compare_exchange_weak(peak, listeners_)) {
  }
  ++streamHits_;
  Log("listener + " + std::to_string(listeners_.load()));

  const bool icy = req.get_header_value("Icy-MetaData") == "1" && options_.metaintBytes > 0;
  res.set_header("icy-notice1", "<BR>This stream requires a media player<BR>");
  res.set_header("icy-name", "Orvelle Radio (demo)");
  res.set_header("icy-genre", "Pop");
  res.set_header("icy-url", BaseUrl(streamPort_) + "/");
  res.set_header("icy-pub", "0");
  res.set_header("icy-br", std::to_string(tracks_.front().bitrateKbps));
  res.set_header("icy-sr", std::to_string(timing_.sampleRateHz));
  res.set_header("Cache-Control", "no-cache, no-store");
  res.set_header("Connection", "close");  // the body ends when the stream does
  if (icy) res.set_header("icy-metaint", std::to_string(options_.metaintBytes));
  const int64_t connectUs = UsSinceOrigin();
  int64_t noListenerYet = -1;
  firstListenerUs_.compare_exchange_strong(noListenerYet, connectUs);
  const bool closeAtOnce = options_.refuseStream == StreamRefusal::EmptyClose;
  res.set_content_provider("audio/mpeg", [this, slot, icy, connectUs, closeAtOnce](size_t, httplib::DataSink& sink) {
    const bool ok = !closeAtOnce && SendStream(sink, icy, connectUs);
    Log("listener - " + std::to_string(listeners_.load() - 1));
    return ok;
  });
}

// Runs until the listener goes away, the station stops or a fault ends the
// stream; returns false so the connection closes.
bool Station::SendStream(httplib::DataSink& sink, bool icy, int64_t connectUs) {
  IcyInterleaver interleaver(icy ? static_cast<size_t>(options_.metaintBytes) : 0);
  const int64_t dropUs = static_cast<int64_t>(options_.dropStreamAfterSeconds * 1e6);
  const int64_t stallFromUs = static_cast<int64_t>(options_.stallStreamAfterSeconds * 1e6);
  const int64_t stallToUs = stallFromUs + static_cast<int64_t>(options_.stallSeconds * 1e6);
  // The burst reaches no further back than the station's start, so the first
  // byte a listener gets belongs to a song the pages have announced.
  int64_t next = std::max<int64_t>(0, timing_.FrameAt(connectUs - int64_t{options_.burstMs} * 1000));
  std::string batch;
  while (!stopping_) {
    const int64_t now = UsSinceOrigin();
    const int64_t sinceConnect = now - connectUs;
    if (options_.dropStreamAfterSeconds >= 0 && sinceConnect >= dropUs) return false;
    if (InOutage(now)) return false;
    if (options_.stallStreamAfterSeconds >= 0 && sinceConnect >= stallFromUs && sinceConnect < stallToUs) {
      if (!SleepUs(stallToUs - sinceConnect)) return false;
      // The source was gone meanwhile: the listener resumes at the live point.
      next = std::max(next, timing_.FrameAt(UsSinceOrigin()));
      continue;
    }
    const int64_t live = timing_.FrameAt(now);
    batch.clear();
    while (next <= live && batch.size() < kMaxBatchBytes) {
      const FrameSource src = FrameContent(clock_, timing_, trackFrames_, next);
      interleaver.Append(tracks_[src.song].frames[src.trackFrame], OnAirText(songs_[src.song]), batch);
      ++next;
    }
    if (!batch.empty() && !sink.write(batch.data(), batch.size())) return false;
    const int64_t waitUs = timing_.FrameStartUs(next) - UsSinceOrigin();
    if (waitUs > 0 && !SleepUs(waitUs)) return false;
  }
  return false;
}

}  // namespace station
