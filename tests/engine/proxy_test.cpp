// SPDX-License-Identifier: GPL-3.0-or-later
// Behind a proxy the stream and the player's own requests (libcurl) take the
// same road: through the proxy the environment names for their scheme, or
// straight to the station for a host in no_proxy.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "engine_session.h"
#include "logging_proxy.h"
#include "nowplaying/http_get.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

// The proxy variables of the test process, all of them cleared, then the
// given ones set; the process's own put back afterwards.
class ScopedProxyEnvironment {
 public:
  explicit ScopedProxyEnvironment(const std::map<std::string, std::string>& variables) {
    for (const char* name : kNames) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      unsetenv(name);
    }
    for (const auto& [name, value] : variables) setenv(name.c_str(), value.c_str(), 1);
  }
  ~ScopedProxyEnvironment() {
    for (const char* name : kNames) unsetenv(name);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                           "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};
  std::map<std::string, std::string> saved_;
};

// libav's CONNECT tunnel frees none of the strings it kept from the proxy's
// answer when it closes (http_proxy_close in libav 5.1): a few bytes a
// connection, not ours to free, left out of the leak check.
class LibavTunnelLeaksIgnored {
 public:
  explicit LibavTunnelLeaksIgnored(bool tunnel) : tunnel_(tunnel) {
#ifdef __SANITIZE_ADDRESS__
    if (tunnel_) __lsan_disable();
#endif
  }
  ~LibavTunnelLeaksIgnored() {
#ifdef __SANITIZE_ADDRESS__
    if (tunnel_) __lsan_enable();
#endif
  }

 private:
  const bool tunnel_;
};

// 0 when the stream opened (it is freed at once), else the engine's error code.
int OpenStream(const std::string& url, bool throughTunnel) {
  const LibavTunnelLeaksIgnored ignored(throughTunnel);  // the open runs on this thread
  const HSTREAM stream = BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  if (stream == 0) return BASS_ErrorGetCode();
  BASS_StreamFree(stream);
  return 0;
}

std::string HostAndPort(int port) { return "127.0.0.1:" + std::to_string(port); }

TEST(StreamBehindProxy, TakesTheSameRoadAsTheStatusRequests) {
  EngineSession session;
  curl_global_init(CURL_GLOBAL_DEFAULT);
  LoggingProxy proxy, otherProxy;
  const std::string status = R"({"songtitle":"Artiste - Titre"})";
  StationServer httpStream({.audioPath = Fixture("sine1k.mp3")});
  StationServer httpStatus({.contentType = "application/json", .body = status});
  // The certificate is trusted by nobody: the tunnel is made, then the
  // certificate check fails as it would without a proxy.
  const StationOptions tls{.certPath = Fixture("cert.pem"), .keyPath = Fixture("key.pem")};
  StationServer httpsStream({.audioPath = Fixture("sine1k.mp3"), .certPath = tls.certPath, .keyPath = tls.keyPath});
  StationServer httpsStatus({.contentType = "application/json", .body = status, .certPath = tls.certPath,
                             .keyPath = tls.keyPath});

  struct Case {
    const char* what;
    StationServer& stream;
    StationServer& status;
    std::map<std::string, std::string> environment;
    bool throughProxy;  // else straight to the station
  } const cases[] = {
      {"http behind http_proxy", httpStream, httpStatus, {{"http_proxy", proxy.url()}}, true},
      {"https behind https_proxy, http_proxy elsewhere", httpsStream, httpsStatus,
       {{"https_proxy", proxy.url()}, {"http_proxy", otherProxy.url()}}, true},
      {"https behind HTTPS_PROXY", httpsStream, httpsStatus, {{"HTTPS_PROXY", proxy.url()}}, true},
      {"https behind an http_proxy only: no proxy", httpsStream, httpsStatus, {{"http_proxy", otherProxy.url()}},
       false},
      {"https, station in NO_PROXY", httpsStream, httpsStatus,
       {{"https_proxy", proxy.url()}, {"NO_PROXY", "localhost,127.0.0.1"}}, false},
      {"http, station's network in no_proxy", httpStream, httpStatus,
       {{"http_proxy", proxy.url()}, {"no_proxy", "localhost 127.0.0.0/8"}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ScopedProxyEnvironment environment(c.environment);
    const bool tls = c.stream.url().rfind("https", 0) == 0;
    const std::string method = tls ? "CONNECT " : "GET ";
    using Requests = std::vector<std::string>;

    EXPECT_EQ(OpenStream(c.stream.url(), tls && c.throughProxy), tls ? BASS_ERROR_SSL : 0);
    EXPECT_EQ(proxy.takeRequests(), c.throughProxy ? Requests{method + HostAndPort(c.stream.port())} : Requests{});

    const auto body = HttpGet(c.status.url("/stats?json=1"), {.connectTimeoutMs = 5000, .totalTimeoutMs = 10000});
    EXPECT_EQ(body.has_value(), !tls);
    if (body) {
      EXPECT_EQ(*body, status);
    }
    EXPECT_EQ(proxy.takeRequests(), c.throughProxy ? Requests{method + HostAndPort(c.status.port())} : Requests{});
    EXPECT_EQ(otherProxy.takeRequests(), Requests{});
  }
  curl_global_cleanup();
}

}  // namespace
}  // namespace orvelle::test
