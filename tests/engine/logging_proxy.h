// SPDX-License-Identifier: GPL-3.0-or-later
// An HTTP proxy on 127.0.0.1 that notes where it is asked to go: CONNECT
// tunnels (https through a proxy) and requests in absolute form (http through
// a proxy), both carried to 127.0.0.1 only. Each connection has a thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvelle::test {

class LoggingProxy {
 public:
  LoggingProxy();
  ~LoggingProxy();
  LoggingProxy(const LoggingProxy&) = delete;
  LoggingProxy& operator=(const LoggingProxy&) = delete;

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int port() const { return port_; }
  // "CONNECT 127.0.0.1:1234" or "GET 127.0.0.1:1234": the method and the
  // host and port asked for, in the order the requests came; then forgotten.
  std::vector<std::string> takeRequests();
  // "127.0.0.1:1234/path?query" of each request in absolute form (http
  // through the proxy), in the order they came; then forgotten.
  std::vector<std::string> takeTargets();

 private:
  void accept();
  void serve(int client);
  void note(const std::string& request, const std::string& target);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::mutex mutex_;  // guards the three below
  std::vector<std::string> requests_;
  std::vector<std::string> targets_;
  std::vector<std::thread> connections_;
};

}  // namespace orvelle::test
