// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_server.h"  // httplib first: on Windows it brings Winsock before anything includes <windows.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <stdexcept>

namespace {

#ifdef _WIN32
using Socket = SOCKET;
void CloseSocket(long long s) { closesocket(Socket(s)); }
int PollOne(WSAPOLLFD* p, int timeoutMs) { return WSAPoll(p, 1, timeoutMs); }
using PollFd = WSAPOLLFD;
#else
using Socket = int;
void CloseSocket(long long s) { close(int(s)); }
int PollOne(pollfd* p, int timeoutMs) { return poll(p, 1, timeoutMs); }
using PollFd = pollfd;
#endif

// A TCP socket bound to 127.0.0.1:port (0: any free one); -1 when it cannot be.
long long BoundSocket(int& port) {
#ifdef _WIN32
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
#endif
  const Socket fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd == Socket(-1)) return -1;
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

// ------------------------------------------------------------ LocalServer

LocalServer::LocalServer(const std::string& certFile, [[maybe_unused]] const std::string& keyFile) {
  if (certFile.empty()) {
    server_ = std::make_unique<httplib::Server>();
  } else {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
    server_ = std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str());
    https_ = true;
#else
    throw std::runtime_error("no TLS server in this build");  // Windows: openssl s_server beside the tests
#endif
  }
  if (!server_->is_valid()) throw std::runtime_error("test server cannot be created");
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Handle(request, response);
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("test server cannot bind");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() before the accept loop runs would be lost: wait for it.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalServer::~LocalServer() {
  stopping_ = true;
  server_->stop();
  thread_.join();
}

std::string LocalServer::Base() const {
  return std::string(https_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

void LocalServer::Route(const std::string& path, Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = std::move(handler);
}

void LocalServer::RouteOthers(Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  others_ = std::move(handler);
}

void LocalServer::Serve(const std::string& path, std::string body, const std::string& contentType) {
  Route(path, [body = std::move(body), contentType](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, contentType);
  });
}

void LocalServer::Break(const std::string& path) {
  Route(path, [](const httplib::Request&, httplib::Response& response) {
    // Announces 100 bytes, then gives up before the first one.
    response.set_content_provider(100, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; });
  });
}

std::vector<RecordedRequest> LocalServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<std::string> LocalServer::Targets() {
  std::vector<std::string> targets;
  for (const RecordedRequest& r : Requests()) targets.push_back(r.target);
  return targets;
}

void LocalServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

void LocalServer::Handle(const httplib::Request& request, httplib::Response& response) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back({request.target, request.get_header_value("User-Agent")});
    const auto it = routes_.find(request.path);
    handler = it != routes_.end() ? it->second : others_;
  }
  if (handler) {
    handler(request, response);
  } else {
    response.status = 404;
  }
}

// ------------------------------------------------------------ SilentServer

SilentServer::SilentServer(int port) : port_(port) {
  listener_ = BoundSocket(port_);
  listening_ = listener_ >= 0 && listen(Socket(listener_), 16) == 0;
  if (listening_) thread_ = std::thread([this] { Serve(); });
}

SilentServer::~SilentServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  for (long long fd : connections_) CloseSocket(fd);
  if (listener_ >= 0) CloseSocket(listener_);
}

void SilentServer::Serve() {
  while (!stopping_) {
    PollFd p{};
    p.fd = Socket(listener_);
    p.events = POLLIN;
    if (PollOne(&p, 20) <= 0) continue;
    const Socket fd = accept(Socket(listener_), nullptr, nullptr);
    if (fd == Socket(-1)) continue;
    connections_.push_back(fd);  // held open, never read, never answered
    ++held_;
  }
}

// ------------------------------------------------------------ FullListener

FullListener::FullListener() {
  listener_ = BoundSocket(port_);
  ok_ = listener_ >= 0 && listen(Socket(listener_), 0) == 0;
  filler_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port_));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // The queue's one place.
  ok_ = ok_ && connect(Socket(filler_), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

FullListener::~FullListener() {
  if (filler_ >= 0) CloseSocket(filler_);
  if (listener_ >= 0) CloseSocket(listener_);
}

int RefusedPort() {
  int port = 0;
  const long long fd = BoundSocket(port);
  if (fd < 0) throw std::runtime_error("cannot bind a socket");
  CloseSocket(fd);
  return port;
}
