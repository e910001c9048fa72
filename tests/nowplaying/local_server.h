// SPDX-License-Identifier: GPL-3.0-or-later
// A cpp-httplib server on 127.0.0.1, on a free port, for one test. Routes can
// be changed while it runs; every GET is recorded with its raw target.
#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nowplaying/http_get.h"
#include "os/os.h"

struct RecordedRequest {
  std::string target;  // path and query exactly as sent
  std::string userAgent;
};

class LocalServer {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  // Plain HTTP; with a certificate and key file, HTTPS.
  LocalServer(const std::string& certFile = {}, const std::string& keyFile = {});
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // "http://127.0.0.1:port" (or https).
  std::string Base() const;
  int Port() const { return port_; }

  // Routes by path (query excluded). Unrouted paths answer 404, empty.
  void Route(const std::string& path, Handler handler);
  void Serve(const std::string& path, std::string body, const std::string& contentType = "text/plain");
  // A connection closed before the body is complete: a failed transfer.
  void Break(const std::string& path);

  std::vector<RecordedRequest> Requests();
  std::vector<std::string> Targets();
  void ClearRequests();

  // Set when the test ends; handlers that stall poll it so the server can stop.
  bool Stopping() const { return stopping_; }

 private:
  void Handle(const httplib::Request& request, httplib::Response& response);

  std::unique_ptr<httplib::Server> server_;
  bool https_ = false;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::map<std::string, Handler> routes_;
  std::vector<RecordedRequest> requests_;
};

// The real libcurl HttpGet as the player's seam, with the player's bounds.
inline HttpGetFn RealHttpGet() { return BoundedHttpGet(MonotonicMs, {}); }
