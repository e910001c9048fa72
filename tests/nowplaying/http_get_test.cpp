// SPDX-License-Identifier: GPL-3.0-or-later
// HttpGet and FetchText against servers on 127.0.0.1, with the real HTTP
// library: libcurl on Linux, WinHTTP on Windows (under Wine).
#include "nowplaying/http_get.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winhttp.h>
#else
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "nowplaying/fetch_text.h"
#include "os/os.h"
#include "support/local_server.h"

namespace {

using namespace std::chrono_literals;

TEST(HttpGet, ReturnsBodyOfAnyStatusAndSendsTheUserAgent) {
  LocalServer server;
  server.Route("/missing", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("No such page", "text/html");
  });
  server.Serve("/empty", "");
  server.Route("/moved", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/final"); });
  server.Serve("/final", "arrived");

  const struct {
    const char* path;
    std::optional<std::string> body;
  } cases[] = {
      {"/missing", "No such page"},
      {"/empty", ""},  // an empty body is an answer, not a failure
      {"/moved", "arrived"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(HttpGet(server.Base() + c.path), c.body);
  }
  for (const RecordedRequest& request : server.Requests())
    EXPECT_EQ(request.userAgent, "Mozilla/5.0 Gecko/41.0 Firefox/41.0");
  EXPECT_EQ(server.Targets(), (std::vector<std::string>{"/missing", "/empty", "/moved", "/final"}));
}

TEST(HttpGet, FailsWhenNothingListens) {
  int port = 0;
  {
    LocalServer gone;
    port = gone.Port();
  }
  EXPECT_EQ(HttpGet("http://127.0.0.1:" + std::to_string(port) + "/"), std::nullopt);
}

// Both libraries read a time-out of 0 as none at all: a transfer with no
// time left never starts, rather than going on without a bound.
TEST(HttpGet, NoTimeLeftIsNoTransfer) {
  LocalServer server;
  server.Serve("/page", "here");
  HttpGetOptions noTotal, noConnect;
  noTotal.totalTimeoutMs = 0;
  noConnect.connectTimeoutMs = 0;
  EXPECT_EQ(HttpGet(server.Base() + "/page"), "here");
  EXPECT_EQ(HttpGet(server.Base() + "/page", noTotal), std::nullopt);
  EXPECT_EQ(HttpGet(server.Base() + "/page", noConnect), std::nullopt);
}

TEST(HttpGet, FailsOnABrokenTransfer) {
  LocalServer server;
  server.Break("/broken");
  EXPECT_EQ(HttpGet(server.Base() + "/broken"), std::nullopt);
#ifndef _WIN32
  // Without a length announced: a first chunk, then the connection closes
  // before the last one. (Wine's WinHTTP hands over the first chunk as a
  // whole body; what Windows' own does cannot be seen here.)
  server.Route("/broken-chunks", [](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
      return offset == 0 && sink.write("part", 4);
    });
  });
  EXPECT_EQ(HttpGet(server.Base() + "/broken-chunks"), std::nullopt);
#endif
}

TEST(HttpGet, ReachesOnlyHttpAndHttps) {
  LocalServer server;
  const std::string targets[] = {"file:///etc/hostname", "dict://127.0.0.1:" + std::to_string(server.Port()) + "/d:word",
                                 "gopher://127.0.0.1:" + std::to_string(server.Port()) + "/"};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    server.Route("/jump", [target](const httplib::Request&, httplib::Response& response) {
      response.set_redirect(target);
    });
    EXPECT_EQ(HttpGet(server.Base() + "/jump"), std::nullopt) << "through a redirect";
    EXPECT_EQ(HttpGet(target), std::nullopt) << "directly";
  }
}

TEST(HttpGet, BodyOverTheCapIsAFailedTransfer) {
  LocalServer server;
  constexpr size_t kCap = 1000;
  server.Serve("/at-cap", std::string(kCap, 'x'));
  server.Serve("/over-cap", std::string(kCap + 1, 'x'));
  // Without a length announced, the cap is found only while collecting.
  server.Route("/over-cap-chunked", [](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
      if (offset >= 3 * kCap) {
        sink.done();
        return true;
      }
      const std::string chunk(300, 'y');
      return sink.write(chunk.data(), chunk.size());
    });
  });

  HttpGetOptions options;
  options.maxBodyBytes = kCap;
  EXPECT_EQ(HttpGet(server.Base() + "/at-cap", options), std::string(kCap, 'x'));
  EXPECT_EQ(HttpGet(server.Base() + "/over-cap", options), std::nullopt);
  EXPECT_EQ(HttpGet(server.Base() + "/over-cap-chunked", options), std::nullopt);
  EXPECT_EQ(HttpGet(server.Base() + "/over-cap-chunked")->size(), 3 * kCap) << "the default cap is far above";
}

TEST(HttpGet, PagesAndPicturesHaveTheirOwnCap) {
  LocalServer server;
  server.Serve("/page", std::string(kMaxPageBytes, 'p'));
  server.Serve("/long-page", std::string(kMaxPageBytes + 1, 'p'));
  server.Serve("/picture", std::string(kMaxPageBytes + 1, 'j'));
  server.Serve("/huge-picture", std::string(kMaxPictureBytes + 1, 'j'));
  const HttpGetFn httpGet = BoundedHttpGet(MonotonicMs, {});
  const auto size = [&](const char* path, FetchKind kind) -> long {
    const std::optional<std::string> body = httpGet(server.Base() + path, FetchBounds{kind, std::nullopt});
    return body ? long(body->size()) : -1;
  };
  EXPECT_EQ(size("/page", FetchKind::Page), long(kMaxPageBytes));
  EXPECT_EQ(size("/long-page", FetchKind::Page), -1);
  EXPECT_EQ(size("/picture", FetchKind::Picture), long(kMaxPageBytes + 1));
  EXPECT_EQ(size("/huge-picture", FetchKind::Picture), -1);
}

TEST(TransferOptions, EachKindItsBoundsWithinTheDeadline) {
  const struct {
    const char* name;
    FetchBounds bounds;
    uint32_t nowMs;
    long totalMs;  // -1: no transfer at all
    size_t maxBytes;
  } cases[] = {
      {"page", {FetchKind::Page, std::nullopt}, 5, 10000, kMaxPageBytes},
      {"picture", {FetchKind::Picture, std::nullopt}, 5, 20000, kMaxPictureBytes},
      {"deadline far off", {FetchKind::Picture, 60000u}, 1000, 20000, kMaxPictureBytes},
      {"deadline near", {FetchKind::Page, 4000u}, 1000, 3000, kMaxPageBytes},
      {"deadline across the wrap", {FetchKind::Page, 0x00000BB8u}, 0xFFFFF830u, 5000, kMaxPageBytes},
      {"deadline now", {FetchKind::Page, 1000u}, 1000, -1, 0},
      {"deadline passed", {FetchKind::Picture, 1000u}, 1001, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<HttpGetOptions> options = TransferOptions(c.bounds, c.nowMs);
    ASSERT_EQ(options.has_value(), c.totalMs >= 0);
    if (!options) continue;
    EXPECT_EQ(options->totalTimeoutMs, c.totalMs);
    EXPECT_EQ(options->connectTimeoutMs, std::min(c.totalMs, 30000L)) << "the connect phase is part of the total";
    EXPECT_EQ(options->maxBodyBytes, c.maxBytes);
  }
}

// A server that announces `bytes` bytes and sends them one at a time, each
// after `gap` (cut short when the test ends).
void Trickle(LocalServer& server, const std::string& path, size_t bytes, std::chrono::milliseconds gap) {
  server.Route(path, [&server, bytes, gap](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(bytes, "text/plain", [&server, gap](size_t, size_t, httplib::DataSink& sink) {
      const auto until = std::chrono::steady_clock::now() + gap;
      while (!server.Stopping() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(10ms);
      return !server.Stopping() && sink.write("t", 1);
    });
  });
}

TEST(HttpGet, StalledOrEndlessTransfersAreBounded) {
  LocalServer server;
  Trickle(server, "/silent", 1, 5s);    // nothing for 5 s, then the whole body
  Trickle(server, "/slow", 20, 100ms);  // 10 bytes/s: above the low-speed floor, 2 s in all
  Trickle(server, "/brief", 4, 100ms);  // the same pace, done in 0.4 s
  // Accepted, then not even the headers for 5 s.
  server.Route("/no-headers", [&server](const httplib::Request&, httplib::Response& response) {
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!server.Stopping() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(10ms);
    response.set_content("late", "text/plain");
  });

  HttpGetOptions lowSpeedBound;
  lowSpeedBound.lowSpeedTimeS = 1;
  HttpGetOptions totalBound;
  totalBound.totalTimeoutMs = 1500;
  // Each stall ends at its bound, well before the server would go on after 5 s.
  const struct {
    const char* path;
    const HttpGetOptions& bound;
  } stalls[] = {{"/silent", lowSpeedBound}, {"/no-headers", lowSpeedBound}, {"/no-headers", totalBound}};
  for (const auto& stall : stalls) {
    SCOPED_TRACE(stall.path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpGet(server.Base() + stall.path, stall.bound), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  }
  EXPECT_EQ(HttpGet(server.Base() + "/slow", totalBound), std::nullopt);
  EXPECT_EQ(HttpGet(server.Base() + "/slow", lowSpeedBound)->size(), 20u) << "slow is not stalled";
  EXPECT_EQ(HttpGet(server.Base() + "/brief", totalBound), "tttt");
}

TEST(HttpGet, AConnectionThatNeverCompletesEndsAtTheConnectLimit) {
  const FullListener listener;
  ASSERT_TRUE(listener.Ok());
  HttpGetOptions options;
  options.connectTimeoutMs = 300;
  options.totalTimeoutMs = 10000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpGet("http://127.0.0.1:" + std::to_string(listener.Port()) + "/", options), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(HttpGet, FollowsRedirectsOfEveryFormUpToThirty) {
  LocalServer server;
  // /hop?n=N answers with a redirect to /hop?n=N-1, down to 0.
  server.Route("/hop", [](const httplib::Request& request, httplib::Response& response) {
    const int n = std::stoi(request.get_param_value("n"));
    if (n == 0) {
      response.set_content("end", "text/plain");
    } else {
      response.set_redirect("/hop?n=" + std::to_string(n - 1));
    }
  });
  EXPECT_EQ(HttpGet(server.Base() + "/hop?n=30"), "end");
  EXPECT_EQ(HttpGet(server.Base() + "/hop?n=31"), std::nullopt) << "one redirect too many";

  server.Serve("/pictures/final", "arrived");
  const std::string host = "127.0.0.1:" + std::to_string(server.Port());
  const std::string locations[] = {server.Base() + "/pictures/final", "//" + host + "/pictures/final",
                                   "/pictures/final", "final"};
  for (const std::string& location : locations) {
    SCOPED_TRACE(location);
    server.Route("/pictures/moved", [location](const httplib::Request&, httplib::Response& response) {
      response.set_redirect(location);
    });
    EXPECT_EQ(HttpGet(server.Base() + "/pictures/moved"), "arrived");
  }
}

#ifndef _WIN32
void NoteSignal(int) {}

TEST(HttpGet, LeavesTheProcessSignalHandlersAlone) {
  LocalServer server;  // ignores SIGPIPE itself when it starts
  // libcurl, unless told not to, ignores SIGPIPE for as long as a transfer runs.
  struct sigaction mine {}, old {}, during {};
  mine.sa_handler = NoteSignal;
  sigaction(SIGPIPE, &mine, &old);
  server.Route("/", [&during](const httplib::Request&, httplib::Response& response) {
    sigaction(SIGPIPE, nullptr, &during);  // in the middle of the transfer
    response.set_content("ok", "text/plain");
  });
  EXPECT_EQ(HttpGet(server.Base() + "/"), "ok");
  sigaction(SIGPIPE, &old, nullptr);
  EXPECT_EQ(during.sa_handler, NoteSignal);
}
#endif

TEST(HttpGet, GivesUpAtOnceWhenCancelledBeforeOrDuringTheTransfer) {
  LocalServer server;
  Trickle(server, "/silent", 1, 10s);
  server.Serve("/at-once", "answer");
  HttpGetOptions options;

  // Three times: a transfer that only looked now and then, as libcurl's
  // progress callback does about once a second, would be late in most.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    options.cancel = std::make_shared<FetchCancel>();
    std::chrono::steady_clock::time_point cancelledAt;
    std::thread asker([&] {
      std::this_thread::sleep_for(200ms);
      cancelledAt = std::chrono::steady_clock::now();
      options.cancel->Cancel();
    });
    EXPECT_EQ(HttpGet(server.Base() + "/silent", options), std::nullopt);
    asker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, 400ms) << "waited for the server";
  }

  server.ClearRequests();
  EXPECT_EQ(HttpGet(server.Base() + "/at-once", options), std::nullopt);
  EXPECT_TRUE(server.Targets().empty()) << "asked the server all the same";
}

#ifdef _WIN32
// No TLS server library for mingw: `openssl s_server` serves the fixture's
// self-signed certificate beside the tests (tests/engine/windows_tls_station.sh).
int TlsStationPort() {
  std::ifstream in(TLS_STATION_PORT_FILE);
  int port = 0;
  in >> port;
  return port;
}

// The station's page read with every certificate error ignored, as no
// client of the player's may do: proof that the station does answer.
std::optional<std::string> FetchTrustingAnyCertificate(int port) {
  std::optional<std::string> body;
  HINTERNET session = WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  HINTERNET connection = WinHttpConnect(session, L"127.0.0.1", INTERNET_PORT(port), 0);
  HINTERNET request =
      WinHttpOpenRequest(connection, L"GET", L"/tls-page", nullptr, nullptr, nullptr, WINHTTP_FLAG_SECURE);
  WinHttpSetTimeouts(request, 5000, 5000, 5000, 5000);
  DWORD trustAll = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                   SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
  WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &trustAll, sizeof trustAll);
  if (WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) && WinHttpReceiveResponse(request, nullptr)) {
    body.emplace();
    char buffer[256];
    DWORD read = 0;
    while (WinHttpReadData(request, buffer, sizeof buffer, &read) && read > 0) body->append(buffer, read);
  }
  for (HINTERNET handle : {request, connection, session}) WinHttpCloseHandle(handle);
  return body;
}

TEST(HttpGet, SelfSignedCertificateFailsTheTransfer) {
  const int port = TlsStationPort();
  ASSERT_GT(port, 0) << "no TLS station";
  EXPECT_EQ(HttpGet("https://127.0.0.1:" + std::to_string(port) + "/tls-page"), std::nullopt);
  EXPECT_EQ(FetchTrustingAnyCertificate(port), "secret") << "the TLS station does not answer";
}
#else
// A fresh self-signed certificate for 127.0.0.1 in a temporary folder.
struct SelfSignedCertificate {
  std::filesystem::path folder;
  std::string cert, key;

  SelfSignedCertificate() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvelle-tls-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    cert = (folder / "cert.pem").string();
    key = (folder / "key.pem").string();
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout '" + key + "' -out '" + cert +
                                "' >/dev/null 2>&1";
    ok = std::system(command.c_str()) == 0;
  }
  ~SelfSignedCertificate() { std::filesystem::remove_all(folder); }
  bool ok = false;
};

TEST(HttpGet, SelfSignedCertificateFailsTheTransfer) {
  SelfSignedCertificate certificate;
  ASSERT_TRUE(certificate.ok) << "openssl could not make a certificate";
  LocalServer server(certificate.cert, certificate.key);
  server.Serve("/stats", "secret");

  EXPECT_EQ(HttpGet(server.Base() + "/stats"), std::nullopt);

  // The server does answer over TLS to a client that skips the check.
  httplib::SSLClient client("127.0.0.1", server.Port());
  client.enable_server_certificate_verification(false);
  const httplib::Result answer = client.Get("/stats");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "secret");
}
#endif

TEST(FetchText, DecodesUtf8UpToTheFirstZeroByte) {
  LocalServer server;
  HttpGetFn httpGet = BoundedHttpGet(MonotonicMs, {});
  const struct {
    const char* path;
    std::string body;
    std::u16string text;
  } cases[] = {
      {"/zero", std::string("A - B\0hidden", 12), u"A - B"},
      {"/leading-zero", std::string("\0A", 2), u""},
      {"/utf8", "Caf\xC3\xA9 \xE2\x80\x99", u"Caf\u00E9 \u2019"},
      {"/malformed", "A\xC3(B\xFF", u"A\uFFFD(B\uFFFD"},
  };
  for (const auto& c : cases) server.Serve(c.path, c.body);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FetchText(httpGet, T(server.Base() + c.path)), c.text);
  }
  server.Break("/broken");
  EXPECT_EQ(FetchText(httpGet, T(server.Base() + "/broken")), std::nullopt);
  httpGet = nullptr;
  EXPECT_EQ(FetchText(httpGet, T(server.Base() + "/zero")), std::nullopt) << "no network wired";
}

TEST(AddCacheBuster, JoinsWithTheRightSeparator) {
  EXPECT_EQ(AddCacheBusterWith(u"http://h/c.jpg", 1700000000, 42), u"http://h/c.jpg?cb=170000000042");
  EXPECT_EQ(AddCacheBusterWith(u"http://h/c.jpg?s=1", 1700000000, 0), u"http://h/c.jpg?s=1&cb=17000000000");
  EXPECT_EQ(AddCacheBusterWith(u"http://h/c?", 5, 999999), u"http://h/c?&cb=5999999");

  // The real one: "?cb=", then the seconds of now and at most six more digits.
  const Text busted = AddCacheBuster(u"http://h/c.jpg");
  ASSERT_EQ(busted.rfind(u"http://h/c.jpg?cb=", 0), 0u);
  const std::string digits = TextToUtf8(busted.substr(18));
  EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_GE(digits.size(), 11u);  // ten digits of seconds until 2286, at least one random digit
  EXPECT_LE(digits.size(), 16u);
}

}  // namespace
