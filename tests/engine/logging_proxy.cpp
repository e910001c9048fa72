// SPDX-License-Identifier: GPL-3.0-or-later
#include "logging_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace orvelle::test {

namespace {

constexpr size_t kMaxHeadBytes = 16 * 1024;
constexpr int kPollMs = 50;  // how soon a connection notices the proxy stopping
constexpr auto kHeadTimeout = std::chrono::seconds(5);

int ConnectToLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(uint16_t(port));
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

bool SendAll(int fd, const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

// Copies bytes both ways until either side closes or the proxy stops.
void Relay(int a, int b, const std::atomic<bool>& stopping) {
  char buffer[16384];
  while (!stopping.load()) {
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    if (poll(fds, 2, kPollMs) < 0) return;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      const ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, 0);
      if (n <= 0 || !SendAll(fds[1 - i].fd, std::string(buffer, size_t(n)))) return;
    }
  }
}

// "127.0.0.1:1234" of "127.0.0.1:1234" or "http://127.0.0.1:1234/path"; the
// path (with its slash) in `path`. False for any other host.
bool LoopbackTarget(std::string target, int* port, std::string* path) {
  if (target.rfind("http://", 0) == 0) target.erase(0, 7);
  const size_t slash = target.find('/');
  *path = slash == std::string::npos ? "/" : target.substr(slash);
  target = target.substr(0, slash);
  if (target.rfind("127.0.0.1:", 0) != 0) return false;
  *port = std::atoi(target.c_str() + 10);
  return *port > 0;
}

}  // namespace

LoggingProxy::LoggingProxy() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof addr;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length) != 0 || listen(listener_, 16) != 0)
    throw std::runtime_error("cannot start the proxy");
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { accept(); });
}

LoggingProxy::~LoggingProxy() {
  stopping_.store(true);
  acceptor_.join();
  close(listener_);
  for (std::thread& connection : connections_) connection.join();
}

std::vector<std::string> LoggingProxy::takeRequests() {
  std::lock_guard lock(mutex_);
  return std::exchange(requests_, {});
}

std::vector<std::string> LoggingProxy::takeTargets() {
  std::lock_guard lock(mutex_);
  return std::exchange(targets_, {});
}

void LoggingProxy::note(const std::string& request, const std::string& target) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  if (!target.empty()) targets_.push_back(target);
}

void LoggingProxy::accept() {
  while (!stopping_.load()) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    std::lock_guard lock(mutex_);
    connections_.emplace_back([this, client] {
      serve(client);
      close(client);
    });
  }
}

void LoggingProxy::serve(int client) {
  std::string head;
  const auto deadline = std::chrono::steady_clock::now() + kHeadTimeout;
  size_t end;
  while ((end = head.find("\r\n\r\n")) == std::string::npos) {
    if (head.size() > kMaxHeadBytes || stopping_.load() || std::chrono::steady_clock::now() > deadline) return;
    pollfd p{client, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    char buffer[4096];
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    head.append(buffer, size_t(n));
  }
  const std::string early = head.substr(end + 4);  // bytes the client sent after its head
  head.resize(end + 4);

  // "METHOD target VERSION\r\n" then the header lines.
  const size_t lineEnd = head.find("\r\n");
  const std::string line = head.substr(0, lineEnd);
  const size_t space1 = line.find(' '), space2 = line.rfind(' ');
  if (space1 == std::string::npos || space2 <= space1) return;
  const std::string method = line.substr(0, space1);
  const std::string target = line.substr(space1 + 1, space2 - space1 - 1);
  int port = 0;
  std::string path;
  const bool tunnel = method == "CONNECT";
  const bool allowed = (tunnel || target.rfind("http://", 0) == 0) && LoopbackTarget(target, &port, &path);
  const bool absolute = !tunnel && target.rfind("http://", 0) == 0;
  note(method + " " + (tunnel ? target : target.substr(7, target.find('/', 7) - 7)), absolute ? target.substr(7) : "");
  const int upstream = allowed ? ConnectToLoopback(port) : -1;
  if (upstream < 0) {
    SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  const bool started =
      tunnel ? SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n")
             : SendAll(upstream, method + " " + path + line.substr(space2) + head.substr(lineEnd));
  if (started && SendAll(upstream, early)) Relay(client, upstream, stopping_);
  close(upstream);
}

}  // namespace orvelle::test
