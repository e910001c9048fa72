// The one way the player reads from the network: a blocking HTTP(S) GET
// whose whole body comes back in memory. The player reaches it through the
// HttpGetFn seam; its implementation is a platform edge (libcurl here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// One blocking GET of a UTF-8 URL: the body, or nothing on a failed transfer.
using HttpGetFn = std::function<std::optional<std::string>(const std::string& url)>;

// Bounds of one transfer. The defaults are the player's; tests shorten them
// so that a stalled server does not hold a test for half a minute.
struct HttpGetOptions {
  long connectTimeoutMs = 30000;  // name lookup, connection and TLS handshake
  long lowSpeedTimeS = 30;        // abort once below 1 byte/s for this long
  long totalTimeoutMs = 60000;    // whole transfer, redirects included
  size_t maxBodyBytes = size_t(32) << 20;  // far above any cover or status page
  // Asked each time libcurl reports progress: before the request goes out,
  // then at least once a second and whenever a signal interrupts its wait.
  // True gives the transfer up, as a failure: the player quits promptly
  // while a server stalls.
  std::function<bool()> shouldAbort{};
};

// GET of `url` (UTF-8), redirects followed to http and https only, with the
// player's User-Agent and TLS checks against the system store. Returns the
// body for any HTTP status, or nothing when the transfer fails, exceeds a
// bound above, is given up, or the URL is not http or https. The HTTP
// library is kept off the process's signals. InitHttp first.
std::optional<std::string> HttpGet(const std::string& url, const HttpGetOptions& options = {});

// The HTTP library's process-wide set-up and release: once each, before any
// other thread exists and after the last transfer.
bool InitHttp();
void CleanUpHttp();
