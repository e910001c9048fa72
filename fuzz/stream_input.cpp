// SPDX-License-Identifier: GPL-3.0-or-later
// The audio engine's input: whatever a station sends, served over HTTP on
// 127.0.0.1 (once per input, then the connection closes) and decoded as the
// engine's decoder thread does. A body in gzip is sent as such, a RIFF file
// untyped (so probed), anything else typed by its first byte's lowest bit.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "av_input.h"
#include "fuzz_support.h"

namespace {

constexpr int kMaxPackets = 400;  // enough for the open's bounds and a few seconds of audio

struct Listener {
  int fd = -1;
  int port = 0;
  Listener() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      std::abort();
    port = ntohs(address.sin_port);
  }
};

// Answers one request with `body`, then closes; gives up after two seconds
// without a client.
void ServeOnce(int listener, const std::string& body) {
  pollfd waiting{listener, POLLIN, 0};
  if (poll(&waiting, 1, 2000) != 1) return;
  const int client = accept(listener, nullptr, nullptr);
  if (client < 0) return;
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
    pollfd readable{client, POLLIN, 0};
    if (poll(&readable, 1, 2000) != 1) break;
    const ssize_t n = read(client, buffer, sizeof buffer);
    if (n <= 0) break;
    request.append(buffer, size_t(n));
  }
  std::string head = "HTTP/1.0 200 OK\r\nConnection: close\r\n";
  if (body.size() >= 2 && uint8_t(body[0]) == 0x1F && uint8_t(body[1]) == 0x8B) {
    head += "Content-Type: audio/mpeg\r\nContent-Encoding: gzip\r\n";
  } else if (body.rfind("RIFF", 0) != 0 && !body.empty() && (uint8_t(body[0]) & 1) == 0) {
    head += "Content-Type: audio/mpeg\r\n";
  }
  const std::string answer = head + "\r\n" + body;
  for (size_t sent = 0; sent < answer.size();) {
    const ssize_t n = send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += size_t(n);
  }
  close(client);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Listener listener;
  const std::string body(Bytes(data, size));
  std::thread server(ServeOnce, listener.fd, body);
  const std::string url = "http://127.0.0.1:" + std::to_string(listener.port) + "/;stream/1";
  const std::atomic<bool> abort{false};
  const orvelle::AvOpenResult opened = orvelle::OpenAvInput(url.c_str(), 44100, &abort);
  Require((opened.input != nullptr) == (opened.error == 0), "an open gives an input or an error code");
  if (opened.input != nullptr) {
    std::vector<float> frames;
    for (int packets = 0; packets < kMaxPackets && orvelle::DecodeMore(opened.input, frames); ++packets) {
      Require(frames.size() % 2 == 0, "stereo frames");
      for (float sample : frames) Require(std::isfinite(sample), "samples are numbers");
      frames.clear();
    }
    orvelle::CloseAvInput(opened.input);
  }
  server.join();
  return 0;
}
