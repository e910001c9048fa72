// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the player reads from the network: a blocking HTTP(S) GET
// whose whole body comes back in memory. The player reaches it through the
// HttpGetFn seam; its implementation is a platform edge (libcurl here).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// What a fetch brings. Each kind has bounds that fit it, the same for every
// HttpGet implementation: a hostile or broken server must not hold the
// player's worker, nor fill the memory, for long.
enum class FetchKind {
  Page,     // a status page or a search answer: a few kilobytes of text
  Picture,  // a cover picture
};

constexpr long kConnectLimitMs = 30000;            // name lookup, connection, TLS handshake
constexpr long kPageTransferMs = 10000;            // a page, from the request to its last byte
constexpr long kPictureTransferMs = 20000;         // a picture, the same
constexpr size_t kMaxPageBytes = size_t(1) << 20;  // a JSON parser may take many times a page's size
// Any real cover within the pixel bound (cover/picture_checks.h): a 3,000 by
// 3,000 JPEG at high quality is 2 to 6 MB.
constexpr size_t kMaxPictureBytes = size_t(16) << 20;

// One fetch: its kind, and when the operation it belongs to must be over, on
// the millisecond clock the HttpGetFn reads (the player's clockMs): a poll
// has a budget for all its fetches, whatever each server does.
struct FetchBounds {
  FetchKind kind = FetchKind::Page;
  std::optional<uint32_t> deadlineMs;  // none: the kind's bounds alone
};

// One blocking GET of a UTF-8 URL within `bounds`: the body, or nothing on a
// failed transfer. Called on the player's worker, never on the window's thread.
using HttpGetFn = std::function<std::optional<std::string>(const std::string& url, const FetchBounds& bounds)>;

// Gives transfers up from another thread: the player's worker's, when the
// player quits. Cancelled for good: a transfer that starts afterwards fails
// at once, without asking the server.
class FetchCancel {
 public:
  // Any thread. Transfers waiting now are woken and fail at once.
  void Cancel();
  bool Cancelled() const { return cancelled_.load(); }

  // For an HttpGet: while registered, `wake` is called (on the cancelling
  // thread) by Cancel, and ends the transfer's wait.
  uint64_t AddWake(std::function<void()> wake);
  void RemoveWake(uint64_t id);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;  // guards the two below, and holds a removal back while a wake runs
  std::map<uint64_t, std::function<void()>> wakes_;
  uint64_t lastId_ = 0;
};

// Bounds of one transfer. The defaults are a page's; tests shorten them so
// that a stalled server does not hold a test for long.
struct HttpGetOptions {
  long connectTimeoutMs = kConnectLimitMs;
  long lowSpeedTimeS = 30;                // abort once below 1 byte/s for this long
  long totalTimeoutMs = kPageTransferMs;  // whole transfer, connection and redirects included
  size_t maxBodyBytes = kMaxPageBytes;
  // Once cancelled, the transfer is given up at once, as a failure: the
  // player quits promptly while a server stalls. None: never.
  std::shared_ptr<FetchCancel> cancel{};
};

// GET of `url` (UTF-8), redirects followed to http and https only, with the
// player's User-Agent and TLS checks against the system store. Returns the
// body for any HTTP status, or nothing when the transfer fails, exceeds a
// bound above, is given up, or the URL is not http or https. The HTTP
// library is kept off the process's signals. InitHttp first.
std::optional<std::string> HttpGet(const std::string& url, const HttpGetOptions& options = {});

// The options of one transfer of `bounds` that starts at `nowMs`: its kind's
// body cap and total time, the total cut to what is left before the deadline,
// and the connect limit within that total. Nothing when no time is left.
std::optional<HttpGetOptions> TransferOptions(const FetchBounds& bounds, uint32_t nowMs);

// The player's HttpGetFn: HttpGet with TransferOptions, the time read from
// `clockMs`, given up once `cancel` is (none: never).
HttpGetFn BoundedHttpGet(std::function<uint32_t()> clockMs, std::shared_ptr<FetchCancel> cancel);

// The HTTP library's process-wide set-up and release: once each, before any
// other thread exists and after the last transfer.
bool InitHttp();
void CleanUpHttp();
