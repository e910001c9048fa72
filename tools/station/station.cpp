// SPDX-License-Identifier: GPL-3.0-or-later
#include "station.h"

#include <httplib.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "covers.h"
#include "pages.h"
#include "search.h"

namespace station {

namespace {

constexpr int64_t kSleepStepUs = 100'000;  // how soon a stopping station notices
constexpr const char* kNotFoundPage =
    "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>";
constexpr const char* kErrorPage =
    "<!DOCTYPE html><html><head><title>Service indisponible</title></head>"
    "<body><h1>Service temporairement indisponible</h1></body></html>";

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return true;
}

std::string RawQuery(const httplib::Request& req) {
  const auto q = req.target.find('?');
  return q == std::string::npos ? std::string() : req.target.substr(q + 1);
}

}  // namespace

bool LoadTracks(const std::string& mediaDir, const std::vector<Song>& songs,
                std::vector<Mp3Track>& tracks, std::string* error) {
  tracks.clear();
  for (const Song& song : songs) {
    const std::string path = mediaDir + "/" + song.trackFile;
    std::string bytes;
    if (!ReadFile(path, bytes)) {
      if (error) *error = "cannot read " + path;
      return false;
    }
    std::string why;
    Mp3Track track = SplitMp3Frames(bytes, &why);
    if (track.frames.empty()) {
      if (error) *error = path + ": " + why;
      return false;
    }
    if (!tracks.empty() && (track.sampleRateHz != tracks[0].sampleRateHz ||
                            track.samplesPerFrame != tracks[0].samplesPerFrame)) {
      if (error) *error = path + ": not the sample rate of the other tracks";
      return false;
    }
    tracks.push_back(std::move(track));
  }
  return true;
}

Station::Station(StationOptions options, std::vector<Song> songs, std::vector<Mp3Track> tracks)
    : options_(std::move(options)), songs_(std::move(songs)), tracks_(std::move(tracks)) {
  for (const auto& t : tracks_) trackFrames_.push_back(t.frames.size());
  clock_.songUs = static_cast<int64_t>(options_.songSeconds * 1e6);
  clock_.songCount = static_cast<int>(songs_.size());
  clock_.firstSong = options_.firstSong % clock_.songCount;
  timing_.sampleRateHz = tracks_.front().sampleRateHz;
  timing_.samplesPerFrame = tracks_.front().samplesPerFrame;
  origin_ = std::chrono::steady_clock::now();
}

Station::~Station() { Stop(); }

int64_t Station::UsSinceOrigin() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               origin_)
      .count();
}

void Station::SetLog(std::function<void(const std::string&)> log) {
  std::lock_guard lock(logMutex_);
  log_ = std::move(log);
}

void Station::Log(const std::string& line) {
  std::lock_guard lock(logMutex_);
  if (log_) log_(line);
}

std::string Station::BaseUrl(int port) const {
  const std::string host = options_.host == "0.0.0.0" ? "127.0.0.1" : options_.host;
  return "http://" + host + ":" + std::to_string(port);
}

bool Station::FaultsActive() const {
  return UsSinceOrigin() >= static_cast<int64_t>(options_.faultsAfterSeconds * 1e6);
}

bool Station::Trickles(const char* what) const {
  return FaultsActive() &&
         std::find(options_.trickle.begin(), options_.trickle.end(), what) != options_.trickle.end();
}

bool Station::SleepUs(int64_t us) const {
  while (us > 0 && !stopping_) {
    const int64_t step = std::min(us, kSleepStepUs);
    std::this_thread::sleep_for(std::chrono::microseconds(step));
    us -= step;
  }
  return !stopping_;
}

void Station::Respond(httplib::Response& res, std::string body, const char* contentType,
                      bool trickle) {
  if (!trickle) {
    res.set_content(body, contentType);
    return;
  }
  // A few bytes every tenth of a second: the answer is correct, only slow.
  const size_t size = body.size();
  const size_t step = std::max<size_t>(1, options_.trickleBytesPerSecond / 10);
  auto shared = std::make_shared<std::string>(std::move(body));
  res.set_content_provider(size, contentType,
                           [this, shared, step](size_t offset, size_t length, httplib::DataSink& sink) {
                             if (!SleepUs(kSleepStepUs)) return false;
                             const size_t n = std::min(step, length);
                             return sink.write(shared->data() + offset, n);
                           });
}

void Station::AddStreamRoutes(httplib::Server& server) {
  auto stream = [this](const httplib::Request& req, httplib::Response& res) { ServeStream(req, res); };
  server.Get("/;stream/1", stream);
  server.Get("/stream/1", stream);
  server.Get("/;", stream);

  auto figures = [this] {
    ServerFigures f;
    f.songTitle = OnAirText(songs_[clock_.SongAt(UsSinceOrigin())]);
    f.currentListeners = listeners_;
    f.peakListeners = peakListeners_;
    f.maxListeners = options_.maxListeners;
    f.uniqueListeners = std::min<int>(listeners_, 1);
    f.bitrateKbps = tracks_.front().bitrateKbps;
    f.sampleRateHz = timing_.sampleRateHz;
    f.uptimeSeconds = UsSinceOrigin() / 1'000'000;
    f.streamHits = streamHits_;
    return f;
  };
  // Both status pages share their faults: what a broken server sends.
  auto faulty = [this](PageFault fault, httplib::Response& res, const char* trickleName) {
    if (!FaultsActive() || fault == PageFault::None) return false;
    if (fault == PageFault::NotFound) {
      res.status = 404;
      Respond(res, kNotFoundPage, "text/html", Trickles(trickleName));
    } else if (fault == PageFault::NotJson) {
      Respond(res, kErrorPage, "text/html", Trickles(trickleName));
    } else if (fault == PageFault::Empty) {
      res.set_content("", "text/html");
    } else if (fault == PageFault::Silent) {
      // A server too busy to answer: the connection is taken, nothing comes.
      SleepUs(static_cast<int64_t>(options_.stallSeconds * 1e6));
      res.status = 503;
      res.set_content("", "text/html");
    } else {
      return false;  // NoTitle: the normal page with an empty title
    }
    return true;
  };
  server.Get("/stats", [this, figures, faulty](const httplib::Request& req, httplib::Response& res) {
    if (faulty(options_.statsFault, res, "stats")) return;
    ServerFigures f = figures();
    if (FaultsActive() && options_.statsFault == PageFault::NoTitle) f.songTitle.clear();
    if (req.get_param_value("json") == "1") {
      Respond(res, StatsJson(f), "application/json;charset=utf-8", Trickles("stats"));
    } else {
      Respond(res,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?><SHOUTCASTSERVER>"
              "<CURRENTLISTENERS>" + std::to_string(f.currentListeners) + "</CURRENTLISTENERS>"
              "<SONGTITLE>" + HtmlEscape(f.songTitle) + "</SONGTITLE></SHOUTCASTSERVER>",
              "text/xml;charset=utf-8", Trickles("stats"));
    }
  });
  server.Get("/7.html", [this, figures, faulty](const httplib::Request&, httplib::Response& res) {
    if (faulty(options_.statusFault, res, "status")) return;
    ServerFigures f = figures();
    if (FaultsActive() && options_.statusFault == PageFault::NoTitle) f.songTitle.clear();
    Respond(res, SevenHtml(f), "text/html;charset=utf-8", Trickles("status"));
  });
  server.Get("/now", [this](const httplib::Request&, httplib::Response& res) {
    const int64_t now = UsSinceOrigin();
    const int64_t slot = clock_.SlotAt(now);
    OnAirState s;
    s.index = clock_.SongOfSlot(slot);
    s.elapsedMs = (now - clock_.SlotStartUs(slot)) / 1000;
    s.songMs = clock_.songUs / 1000;
    s.remainingMs = s.songMs - s.elapsedMs;
    res.set_content(NowJson(songs_, s), "application/json");
  });
  server.Get("/played", [this](const httplib::Request&, httplib::Response& res) {
    if (options_.playedSongs == 0) {
      res.status = 404;
      res.set_content(kNotFoundPage, "text/html");
      return;
    }
    // The station has played since long before it started: the slots
    // before the origin are its past, each begun at its own wall-clock time.
    const int64_t now = UsSinceOrigin();
    const long long nowS = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch()).count();
    std::vector<PlayedEntry> played;
    for (int64_t slot = clock_.SlotAt(now), n = 0; n < options_.playedSongs; --slot, ++n) {
      played.push_back({nowS - (now - clock_.SlotStartUs(slot)) / 1'000'000, clock_.SongOfSlot(slot)});
    }
    res.set_content(PlayedJson(songs_, played), "application/json;charset=utf-8");
  });
  server.Get("/playlist", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(PlaylistJson(songs_), "application/json");
  });
  server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
    std::string page = StationWebPage(req.path, songs_);
    if (page.empty()) {
      res.status = 404;
      res.set_content(kNotFoundPage, "text/html");
      return;
    }
    Respond(res, std::move(page), "text/html;charset=utf-8", Trickles("pages"));
  });
}

void Station::AddSearchRoutes(httplib::Server& server, bool itunes) {
  server.Get("/search", [this, itunes](const httplib::Request& req, httplib::Response& res) {
    if (FaultsActive() && options_.searchFault) {
      res.status = 503;
      Respond(res, kErrorPage, "text/html", Trickles("search"));
      return;
    }
    const std::string query = RawQuery(req);
    if (itunes) {
      const auto song = FindItunesSong(songs_, query);
      Respond(res, ItunesAnswer(songs_, song.value_or(-1), BaseUrl(itunesPort_)),
              "text/javascript; charset=utf-8", Trickles("search"));
    } else {
      const auto song = FindDeezerSong(songs_, query);
      Respond(res, DeezerAnswer(songs_, song.value_or(-1), BaseUrl(deezerPort_)),
              "application/json; charset=utf-8", Trickles("search"));
    }
  });
  auto picture = [this](const httplib::Request& req, httplib::Response& res) { ServePicture(req, res); };
  server.Get(R"(/art/.*)", picture);
  server.Get(R"(/cover/.*)", picture);
}

void Station::ServePicture(const httplib::Request& req, httplib::Response& res) {
  const auto request = ParsePicturePath(songs_, req.path);
  if (!request) {
    res.status = 404;
    res.set_content(kNotFoundPage, "text/html");
    return;
  }
  const CoverRecipe& c = songs_[request->index].cover;
  std::string bytes = EncodeCover(c.format, request->widthPx, request->heightPx, c.red, c.green, c.blue);
  const char* type = PictureMimeType(c.format);
  const bool trickle = Trickles("picture");
  switch (FaultsActive() ? options_.pictureFault : PictureFault::None) {
    case PictureFault::Html:
      Respond(res, kErrorPage, "text/html; charset=utf-8", trickle);
      return;
    case PictureFault::NotFound:
      res.status = 404;
      Respond(res, kNotFoundPage, "text/html", trickle);
      return;
    case PictureFault::Truncated:
      bytes.resize(bytes.size() / 2);
      break;
    case PictureFault::Empty:
      bytes.clear();
      break;
    case PictureFault::None:
      break;
  }
  if (bytes.empty() && options_.pictureFault != PictureFault::Empty) {
    res.status = 500;
    res.set_content(kErrorPage, "text/html");
    return;
  }
  Respond(res, std::move(bytes), type, trickle);
}

bool Station::Start(std::string* error) {
  const auto make = [this] {
    auto server = std::make_unique<httplib::Server>();
    const size_t threads = static_cast<size_t>(options_.maxListeners) + 8;
    server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server->set_payload_max_length(64 * 1024);
    server->set_read_timeout(5, 0);
    server->set_write_timeout(5, 0);
    // Address reuse for quick restarts, but no port sharing: a second
    // station on a busy port must fail, not split the listeners.
    server->set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    return server;
  };
  streamServer_ = make();
  itunesServer_ = make();
  deezerServer_ = make();
  AddStreamRoutes(*streamServer_);
  AddSearchRoutes(*itunesServer_, true);
  AddSearchRoutes(*deezerServer_, false);

  const auto bind = [&](httplib::Server& server, int wanted, int& bound, const char* name) {
    if (wanted == 0) {
      bound = server.bind_to_any_port(options_.host);
    } else {
      bound = server.bind_to_port(options_.host.c_str(), wanted) ? wanted : -1;
    }
    if (bound <= 0 && error) {
      *error = std::string("cannot listen on ") + options_.host + ":" + std::to_string(wanted) +
               " (" + name + ")";
    }
    if (bound > 0 && options_.logRequests) {
      server.set_logger([this, name](const httplib::Request& req, const httplib::Response& res) {
        Log(std::string("request ") + name + " " + std::to_string(res.status) + " " + req.target);
      });
    }
    return bound > 0;
  };
  if (!bind(*streamServer_, options_.streamPort, streamPort_, "stream") ||
      !bind(*itunesServer_, options_.itunesPort, itunesPort_, "itunes") ||
      !bind(*deezerServer_, options_.deezerPort, deezerPort_, "deezer")) {
    streamServer_.reset();
    itunesServer_.reset();
    deezerServer_.reset();
    return false;
  }
  for (httplib::Server* s : {streamServer_.get(), itunesServer_.get(), deezerServer_.get()}) {
    threads_.emplace_back([s] { s->listen_after_bind(); });
  }
  // A stop before a server runs its loop would be lost; wait until all do.
  for (int i = 0; i < 200; ++i) {
    if (streamServer_->is_running() && itunesServer_->is_running() && deezerServer_->is_running())
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void Station::Stop() {
  stopping_ = true;
  for (auto* s : {streamServer_.get(), itunesServer_.get(), deezerServer_.get()}) {
    if (s) s->stop();
  }
  for (auto& t : threads_) {
    if (t.joinable()) t.join();
  }
  threads_.clear();
}

}  // namespace station
