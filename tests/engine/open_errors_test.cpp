// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "engine_session.h"
#include "support/local_server.h"
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

// Bytes that never become audio are read up to a bound, not until the open's
// deadline: at full line speed that was a gigabyte.
TEST(OpenErrors, BytesThatNeverBecomeAudioFailTheOpenAfterABoundedRead) {
  EngineSession session;
  struct Case { const char* what; StationOptions options; } const cases[] = {
      {"NULs", {.junkAfterBytes = 0}},
      {"gzip-encoded NULs", {.junkAfterBytes = 0, .gzip = true}},
      // A gzip header, then a block of a type that does not exist: libav reads
      // nothing more from it, without an error.
      {"a gzip body that breaks", {.body = std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10) + std::string(64, '\xff'),
                                   .gzip = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StationServer station(c.options);
    EXPECT_EQ(OpenError(station.url().c_str()), BASS_ERROR_FILEFORM);
    EXPECT_LT(station.bytesSent(), 16l << 20) << "what the engine read, and what the sockets hold";
  }
}

// A PCM WAV file whose header claims `rateHz` and `channels`, with 64 KiB of a sawtooth.
std::string Wav(uint32_t rateHz, uint16_t channels) {
  constexpr uint32_t kDataBytes = 64 * 1024;
  std::string wav;
  const auto put = [&](const char* text, uint32_t value, int bytes) {
    wav += text;
    for (int i = 0; i < bytes; ++i) wav += char(value >> (8 * i));
  };
  put("RIFF", 36 + kDataBytes, 4);
  put("WAVEfmt ", 16, 4);
  put("", 1, 2);  // PCM
  put("", channels, 2);
  put("", rateHz, 4);
  put("", rateHz * channels * 2, 4);
  put("", channels * 2, 2);
  put("", 16, 2);
  put("data", kDataBytes, 4);
  for (uint32_t i = 0; i < kDataBytes / 2; ++i) put("", uint16_t(i * 64), 2);
  return wav;
}

// Served untyped, so probed: a lying header must not have the resampler make
// gigabytes out of one packet.
TEST(OpenErrors, FormatsNoStationSendsAreRefused) {
  EngineSession session;
  struct Case { const char* what; std::string file; int error; } const cases[] = {
      {"100 Hz", Wav(100, 2), BASS_ERROR_FILEFORM},
      {"1 MHz", Wav(1000000, 2), BASS_ERROR_FILEFORM},
      {"16 channels", ReadFile(Fixture("sine_16ch.wav")), BASS_ERROR_FILEFORM},
      {"4 kHz mono", Wav(4000, 1), 0},
      {"384 kHz stereo", Wav(384000, 2), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StationServer station({.contentType = "application/octet-stream", .body = c.file});
    EXPECT_EQ(OpenError(station.url().c_str()), c.error);
  }
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
