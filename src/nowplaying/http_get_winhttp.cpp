// SPDX-License-Identifier: GPL-3.0-or-later
// HttpGet on WinHTTP, with the bounds of the libcurl one. WinHTTP follows
// redirects to any scheme and has no whole-transfer limit, so redirects
// are followed here, each hop checked, and every wait is cut to what is
// left of the transfer's time.
//
// The transfer runs on a thread of its own while the caller waits for it,
// and a cancellation wakes the caller at once: a blocking WinHTTP call
// cannot be interrupted safely (closing its handle from another thread
// leaves the transfer to call WinHTTP on a handle that may be reused), but
// the caller can stop waiting for it. A transfer given up that way ends by
// itself within its bounds, touching only what it owns, and is dropped.
#include <windows.h>
#include <shlwapi.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "nowplaying/http_get.h"
#include "nowplaying/winhttp_proxy.h"
#include "os/log.h"
#include "os/wide_text.h"

namespace {

constexpr const wchar_t* kUserAgent = L"Mozilla/5.0 Gecko/41.0 Firefox/41.0";
// A redirect loop ends here rather than running into the total time-out.
constexpr int kMaxRedirects = 30;
constexpr size_t kUrlLengthLimit = 64 * 1024;

using Clock = std::chrono::steady_clock;

// Closes a WinHTTP handle when it goes out of scope.
struct Handle {
  HINTERNET h = nullptr;
  explicit Handle(HINTERNET handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr) WinHttpCloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return h != nullptr; }
};

// The parts of an http or https URL; nothing for any other scheme.
struct Target {
  bool https = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring object;  // path and query
};

std::optional<Target> CrackHttpUrl(const std::wstring& url) {
  // Only the web: a URL read from a search answer or a redirect must not
  // reach local files or other protocols.
  const bool http = _wcsnicmp(url.c_str(), L"http://", 7) == 0, https = _wcsnicmp(url.c_str(), L"https://", 8) == 0;
  if (!http && !https) return std::nullopt;
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = DWORD(-1);
  parts.dwUrlPathLength = DWORD(-1);
  parts.dwExtraInfoLength = DWORD(-1);
  if (!WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
  if (parts.dwHostNameLength == 0) return std::nullopt;
  Target target;
  target.https = parts.nScheme == INTERNET_SCHEME_HTTPS;
  target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  target.port = parts.nPort;
  target.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  target.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (target.object.empty()) target.object = L"/";
  return target;
}

// A redirect's Location, absolute or relative, against the URL it came from.
std::optional<std::wstring> ResolveLocation(const std::wstring& base, const std::wstring& location) {
  std::wstring combined(std::max<size_t>(base.size() + location.size() + 32, 256), L'\0');
  DWORD length = DWORD(combined.size());
  if (FAILED(UrlCombineW(base.c_str(), location.c_str(), combined.data(), &length, 0))) return std::nullopt;
  combined.resize(length);
  return combined;
}

std::optional<std::wstring> QueryHeader(HINTERNET request, DWORD which) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(wchar_t));
  return value;
}

DWORD QueryStatus(HINTERNET request) {
  DWORD status = 0, bytes = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &bytes, WINHTTP_NO_HEADER_INDEX);
  return status;
}

// One transfer with every bound; runs on the transfer's own thread.
class Transfer {
 public:
  Transfer(const HttpGetOptions& options, const std::atomic<bool>& givenUp)
      : options_(options), givenUp_(givenUp), deadline_(Clock::now() + std::chrono::milliseconds(options.totalTimeoutMs)) {}

  std::optional<std::string> Run(const std::string& url) {
    Handle session(OpenSessionWithProxyFor(kUserAgent, WidenUtf8(url)));
    if (!session) return Fail(url, "no WinHTTP session");
    // TLS 1.2 and 1.3 where Windows has them: older Windows offers only
    // TLS 1.0 by default, which the search services refuse.
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (!WinHttpSetOption(session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
      protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1;
      WinHttpSetOption(session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    }

    std::wstring current = WidenUtf8(url);
    for (int hop = 0;; ++hop) {
      const std::optional<Target> target = current.size() <= kUrlLengthLimit ? CrackHttpUrl(current) : std::nullopt;
      if (!target) return Fail(url, "not an http or https address");
      Handle connection(WinHttpConnect(session.h, target->host.c_str(), target->port, 0));
      if (!connection) return Fail(url, "no connection handle");
      Handle request(WinHttpOpenRequest(connection.h, L"GET", target->object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, target->https ? WINHTTP_FLAG_SECURE : 0));
      if (!request) return Fail(url, "no request handle");
      // Redirects are followed below, one checked hop at a time. One
      // connection per transfer, closed with it, as libcurl's: a stream
      // server gets no idle connection from each poll.
      DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE;
      WinHttpSetOption(request.h, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
      UseProxyFor(request.h, current);
      if (!BoundWaits(request.h)) return Fail(url, "out of time");
      if (!WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
          !WinHttpReceiveResponse(request.h, nullptr)) {
        return Fail(url, "no answer");
      }
      const DWORD status = QueryStatus(request.h);
      if (status >= 300 && status < 400) {
        if (const auto location = QueryHeader(request.h, WINHTTP_QUERY_LOCATION)) {
          if (hop == kMaxRedirects) return Fail(url, "too many redirects");
          const auto next = ResolveLocation(current, *location);
          if (!next) return Fail(url, "a redirect that leads nowhere");
          current = *next;
          continue;
        }
      }
      return ReadBody(url, request.h);
    }
  }

 private:
  std::optional<std::string> Fail(const std::string& url, const char* why) {
    if (!givenUp_) LogDiagnostic("GET %s failed: %s (error %lu)", url.c_str(), why, GetLastError());
    return std::nullopt;
  }

  long RemainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    return long(std::max<decltype(left)>(left, 0));
  }

  // Every wait of the next call is cut to what is left of the transfer's
  // time: WinHTTP itself has no limit on a whole transfer. False when
  // nothing is left, or the caller has given up.
  bool BoundWaits(HINTERNET request) {
    const long left = RemainingMs();
    if (left <= 0 || givenUp_) return false;
    const int connectMs = int(std::min(options_.connectTimeoutMs, left));
    // Nothing received for this long fails the transfer, as a transfer
    // slower than 1 byte/s does with libcurl.
    const int quietMs = int(std::min(options_.lowSpeedTimeS * 1000, left));
    WinHttpSetTimeouts(request, connectMs, connectMs, quietMs, quietMs);
    // Without this one, a server that accepts and never answers holds the
    // wait for the headers forever, whatever the time-outs above say.
    DWORD headersMs = DWORD(quietMs);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersMs, sizeof headersMs);
    return true;
  }

  std::optional<std::string> ReadBody(const std::string& url, HINTERNET request) {
    // Refuses at once a body whose announced length is over the cap.
    std::optional<unsigned long long> announced;
    if (const auto length = QueryHeader(request, WINHTTP_QUERY_CONTENT_LENGTH)) {
      announced = std::wcstoull(length->c_str(), nullptr, 10);
      if (*announced > options_.maxBodyBytes) return Fail(url, "body over the cap");
    }
    std::string body;
    for (;;) {
      if (!BoundWaits(request)) return Fail(url, "out of time");
      DWORD available = 0;
      if (!WinHttpQueryDataAvailable(request, &available)) return Fail(url, "broken transfer");
      // A connection closed before the announced length ends the read
      // without an error from WinHTTP: it is a broken transfer all the same.
      if (available == 0) return announced && body.size() < *announced ? Fail(url, "body cut short") : body;
      if (available > options_.maxBodyBytes - body.size()) return Fail(url, "body over the cap");
      const size_t at = body.size();
      body.resize(at + available);
      DWORD read = 0;
      if (!WinHttpReadData(request, body.data() + at, available, &read)) return Fail(url, "broken transfer");
      body.resize(at + read);
      if (read == 0) return announced && body.size() < *announced ? Fail(url, "body cut short") : body;
    }
  }

  const HttpGetOptions options_;
  const std::atomic<bool>& givenUp_;
  const Clock::time_point deadline_;
};

// What the waiting caller and the transfer's thread share.
struct Job {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::optional<std::string> body;
  std::atomic<bool> givenUp{false};
};

}  // namespace

std::optional<std::string> HttpGet(const std::string& url, const HttpGetOptions& options) {
  // WinHTTP reads a time-out of 0 as none at all.
  if (options.totalTimeoutMs <= 0 || options.connectTimeoutMs <= 0) return std::nullopt;
  if (options.cancel && options.cancel->Cancelled()) return std::nullopt;  // nothing goes out
  auto job = std::make_shared<Job>();
  HttpGetOptions copied = options;
  copied.cancel = nullptr;  // asked here, on the caller's thread only
  try {
    std::thread([job, url, copied] {
      std::optional<std::string> body = Transfer(copied, job->givenUp).Run(url);
      std::lock_guard<std::mutex> lock(job->mutex);
      job->body = std::move(body);
      job->done = true;
      job->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    LogDiagnostic("GET %s: no thread for the transfer", url.c_str());
    return std::nullopt;
  }
  FetchCancel* cancel = options.cancel.get();
  const uint64_t wake = cancel != nullptr ? cancel->AddWake([job] {
    std::lock_guard<std::mutex> lock(job->mutex);
    job->finished.notify_all();
  }) : 0;
  std::optional<std::string> body;
  {
    std::unique_lock<std::mutex> lock(job->mutex);
    job->finished.wait(lock, [&] { return job->done || (cancel != nullptr && cancel->Cancelled()); });
    if (job->done) {
      body = std::move(job->body);
    } else {
      job->givenUp = true;  // the transfer ends within its bounds, unheard
    }
  }
  if (cancel != nullptr) cancel->RemoveWake(wake);
  return body;
}

bool InitHttp() { return WinHttpCheckPlatform() != FALSE; }

void CleanUpHttp() {}
