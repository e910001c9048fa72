// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/local_server.h"

#include <chrono>
#include <stdexcept>

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
    if (it != routes_.end()) handler = it->second;
  }
  if (handler) {
    handler(request, response);
  } else {
    response.status = 404;
  }
}
