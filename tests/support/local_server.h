// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' one local server: cpp-httplib on 127.0.0.1, on a free port (or
// the one asked for), for every test that needs an HTTP or HTTPS server.
// Routes can be changed while it runs; every GET is recorded with its raw
// target. Beside it, listeners that misbehave below HTTP: one that takes
// connections and never answers, one whose queue is full, a refused port.
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

struct RecordedRequest {
  std::string target;  // path and query exactly as sent
  std::string userAgent;
};

class LocalServer {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  // Plain HTTP; with a certificate and key file, HTTPS. Throws when it
  // cannot listen.
  explicit LocalServer(const std::string& certFile = {}, const std::string& keyFile = {});
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // "http://127.0.0.1:port" (or https).
  std::string Base() const;
  int Port() const { return port_; }

  // Routes by path (query excluded); `RouteOthers` answers every path
  // without a route of its own. Unrouted paths answer 404, empty.
  void Route(const std::string& path, Handler handler);
  void RouteOthers(Handler handler);
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
  Handler others_;
  std::vector<RecordedRequest> requests_;
};

// A listener on 127.0.0.1 that takes every connection and never answers:
// each request to it waits. On a free port, or on `port` (then Listening()
// says whether it could be had).
class SilentServer {
 public:
  explicit SilentServer(int port = 0);
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  bool Listening() const { return listening_; }
  int port() const { return port_; }
  int Held() const { return held_; }  // connections taken so far

 private:
  void Serve();

  long long listener_ = -1;  // a socket (SOCKET on Windows)
  int port_ = 0;
  bool listening_ = false;
  std::atomic<bool> stopping_{false};
  std::atomic<int> held_{0};
  std::vector<long long> connections_;  // touched by the server's thread only until it is joined
  std::thread thread_;
};

// A listener on 127.0.0.1 whose queue is full: the kernel drops every
// further handshake, and a connection never completes.
class FullListener {
 public:
  FullListener();
  ~FullListener();
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;
  bool Ok() const { return ok_; }
  int Port() const { return port_; }

 private:
  long long listener_ = -1, filler_ = -1;
  bool ok_ = false;
  int port_ = 0;
};

// A port that refuses connections (bound once, then released).
int RefusedPort();
