// SPDX-License-Identifier: GPL-3.0-or-later
#include "station_server.h"

#include "support/local_server.h"  // on Windows: Winsock, started by httplib itself

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace orvelle::test {

namespace {

constexpr auto kTick = std::chrono::milliseconds(10);
constexpr size_t kJunkChunkBytes = 64 * 1024;

// One ICY title block: a length byte in 16-byte units, then the padded text.
std::string IcyBlock(int index) {
  std::string text = "StreamTitle='Artiste " + std::to_string(index) + " - Titre';";
  text.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, char(text.size() / 16)) + text;
}

// Sends a body as it is, or gzip-encoded on the fly, each write flushed.
class BodyWriter {
 public:
  BodyWriter(httplib::DataSink& sink, bool gzip) : sink_(sink), gzip_(gzip) {
    if (gzip_ && deflateInit2(&z_, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("zlib");
  }
  ~BodyWriter() {
    if (gzip_) deflateEnd(&z_);
  }
  bool write(const char* data, size_t n) {
    if (!gzip_) return sink_.write(data, n);
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z_.avail_in = uInt(n);
    do {
      z_.next_out = out_;
      z_.avail_out = sizeof out_;
      deflate(&z_, Z_SYNC_FLUSH);
      const size_t made = sizeof out_ - z_.avail_out;
      if (made > 0 && !sink_.write(reinterpret_cast<const char*>(out_), made)) return false;
    } while (z_.avail_out == 0);
    return true;
  }

 private:
  httplib::DataSink& sink_;
  const bool gzip_;
  z_stream z_{};
  Bytef out_[16384];
};

// Sends NUL bytes at `bytesPerSecond`, counted in `sentBytes`, while `goOn()`
// holds. Always false: the connection closes.
bool SendJunk(BodyWriter& body, double bytesPerSecond, const std::function<bool()>& goOn,
              std::atomic<long>& sentBytes) {
  const std::string zeros(kJunkChunkBytes, '\0');
  const auto start = std::chrono::steady_clock::now();
  double sent = 0;
  while (goOn()) {
    if (!body.write(zeros.data(), zeros.size())) return false;
    sent += double(zeros.size());
    sentBytes += long(zeros.size());
    std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                              std::chrono::duration<double>(sent / bytesPerSecond)));
  }
  return false;
}

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
// Without a TLS library for the test's own platform (the Windows build), the
// TLS station is `openssl s_server` with the fixture certificate, started
// beside the tests on 127.0.0.1 (windows_tls_station.sh); it leaves its port here.
int NativeTlsStationPort() {
  const std::string text = ReadFile(std::string(FIXTURE_DIR) + "/tls-station.port");
  const int port = std::atoi(text.c_str());
  if (port <= 0) throw std::runtime_error("no port in tls-station.port");
  return port;
}
#endif

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing fixture " + path);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string Fixture(const std::string& name) { return std::string(FIXTURE_DIR) + "/" + name; }

StationServer::StationServer(StationOptions options) : options_(std::move(options)) {
  if (!options_.audioPath.empty()) audio_ = ReadFile(options_.audioPath);
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
  if (!options_.certPath.empty()) {
    port_ = NativeTlsStationPort();
    return;
  }
#endif
  server_ = std::make_unique<LocalServer>(options_.certPath, options_.keyPath);
  port_ = server_->Port();
  server_->RouteOthers([this](const httplib::Request& req, httplib::Response& res) {
    ++connections_;
    if (down_.load()) {
      res.status = 503;
      res.set_content("<html><body>Down</body></html>", "text/html");
      return;
    }
    if (options_.status != 200 || !options_.body.empty()) {
      res.status = options_.status;
      if (options_.gzip) res.set_header("Content-Encoding", "gzip");  // the body is already encoded
      res.set_content(options_.body.empty() ? "<html><body>Not here</body></html>" : options_.body,
                      options_.contentType);
      return;
    }
    const bool titles = options_.icyMetaInterval > 0 && req.get_header_value("Icy-MetaData") == "1";
    if (titles) res.set_header("icy-metaint", std::to_string(options_.icyMetaInterval));
    res.set_header("icy-name", "Orvelle test");
    if (options_.gzip) res.set_header("Content-Encoding", "gzip");
    const int hangUps = hangUps_.load();
    res.set_content_provider(options_.contentType, [this, titles, hangUps](size_t, httplib::DataSink& sink) {
      BodyWriter body(sink, options_.gzip);
      const double bytesPerSecond = double(audio_.size()) / options_.fileSeconds;
      double budget = options_.burstSeconds * bytesPerSecond;  // bytes we may send now
      size_t position = 0;
      long sent = 0;
      int sinceTitle = 0, titleIndex = 0;
      auto last = std::chrono::steady_clock::now();
      while (!stopping_.load()) {
        if (hangUps_.load() != hangUps) return false;
        if (options_.junkAfterBytes >= 0 && sent >= options_.junkAfterBytes)
          return SendJunk(body, options_.junkBytesPerSecond,
                          [&] { return !stopping_.load() && hangUps_.load() == hangUps; }, bytesSent_);
        const auto now = std::chrono::steady_clock::now();
        if (!paused_.load()) budget += std::chrono::duration<double>(now - last).count() * bytesPerSecond;
        last = now;
        if (options_.closeAfterBytes >= 0 && sent >= options_.closeAfterBytes) break;
        size_t n = std::min<size_t>(size_t(std::max(budget, 0.0)), audio_.size() - position);
        if (options_.closeAfterBytes >= 0) n = std::min<size_t>(n, size_t(options_.closeAfterBytes - sent));
        if (options_.junkAfterBytes >= 0) n = std::min<size_t>(n, size_t(options_.junkAfterBytes - sent));
        if (titles) n = std::min<size_t>(n, size_t(options_.icyMetaInterval - sinceTitle));
        if (paused_.load() || n == 0) {
          std::this_thread::sleep_for(kTick);
          continue;
        }
        if (!body.write(audio_.data() + position, n)) return false;
        budget -= double(n);
        sent += long(n);
        bytesSent_ += long(n);
        position = (position + n) % audio_.size();
        sinceTitle += int(n);
        if (titles && sinceTitle == options_.icyMetaInterval) {
          const std::string block = IcyBlock(titleIndex++);
          if (!body.write(block.data(), block.size())) return false;
          ++titlesSent_;
          sinceTitle = 0;
        }
      }
      sink.done();
      return true;
    });
  });
}

StationServer::~StationServer() {
  stopping_.store(true);
  server_.reset();
}

std::string StationServer::url(const std::string& path) const {
  return std::string(options_.certPath.empty() ? "http" : "https") + "://127.0.0.1:" + std::to_string(port_) +
         path;
}

}  // namespace orvelle::test
