#include <gtest/gtest.h>

#include <chrono>

#include "engine_session.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

int OpenError(const char* url) {
  const HSTREAM stream = BASS_StreamCreateURL(url, 0, 0, nullptr, nullptr);
  if (stream != 0) {
    BASS_StreamFree(stream);
    return 0;
  }
  return BASS_ErrorGetCode();
}

TEST(OpenErrors, BadAddressesAreRefusedBeforeAnyConnection) {
  EngineSession session;
  const char* const urls[] = {nullptr, "", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://",
                              "http://127.0.0.1/a b", "http://127.0.0.1/\r\nX-Evil: 1", "127.0.0.1:8000"};
  for (const char* url : urls) {
    SCOPED_TRACE(url == nullptr ? "(null)" : url);
    EXPECT_EQ(OpenError(url), BASS_ERROR_ILLPARAM);
  }
}

TEST(OpenErrors, ServersThatGiveNoAudio) {
  EngineSession session;
  StationServer missing({.status = 404});
  StationServer html({.contentType = "text/html", .body = "<!doctype html><html><body>" + std::string(4000, 'x') + "</body></html>"});
  StationServer htmlAsMp3({.contentType = "audio/mpeg", .body = "<html><body>" + std::string(40000, 'y') + "</body></html>"});
  const std::string refused = "http://127.0.0.1:" + std::to_string(RefusedPort()) + "/;stream/1";
  struct Case { std::string url; int error; } const cases[] = {
      {refused, BASS_ERROR_FILEOPEN},
      {missing.url(), BASS_ERROR_FILEOPEN},
      {html.url(), BASS_ERROR_FILEFORM},
      {htmlAsMp3.url(), BASS_ERROR_FILEFORM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(OpenError(c.url.c_str()), c.error);
  }
  // An answer with a length must not be "seeked" by reconnecting over and over.
  EXPECT_EQ(htmlAsMp3.connections(), 1);
}

TEST(OpenErrors, AnUntrustedCertificateIsATlsError) {
  EngineSession session;
  StationServer tls({.audioPath = Fixture("sine1k.mp3"), .certPath = Fixture("cert.pem"), .keyPath = Fixture("key.pem")});
  EXPECT_EQ(OpenError(tls.url().c_str()), BASS_ERROR_SSL);
}

TEST(OpenErrors, ASilentServerTimesOutAfterAboutFiveSeconds) {
  EngineSession session;
  SilentServer silent;
  const std::string url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/;stream/1";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenError(url.c_str()), BASS_ERROR_TIMEOUT);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(seconds, 4.5);
  EXPECT_LT(seconds, 10.0);  // bounded: not a 30-second library default
}

}  // namespace
}  // namespace orvelle::test
