// SPDX-License-Identifier: GPL-3.0-or-later
// The bounds of each kind of fetch, turned into one transfer's options, and
// the cancellation of transfers: the same for every HttpGet implementation.
#include <algorithm>

#include "nowplaying/http_get.h"

std::optional<HttpGetOptions> TransferOptions(const FetchBounds& bounds, uint32_t nowMs) {
  HttpGetOptions options;
  const bool picture = bounds.kind == FetchKind::Picture;
  options.maxBodyBytes = picture ? kMaxPictureBytes : kMaxPageBytes;
  options.totalTimeoutMs = picture ? kPictureTransferMs : kPageTransferMs;
  if (bounds.deadlineMs) {
    // The clock wraps: the time left is a signed difference.
    const int32_t leftMs = int32_t(*bounds.deadlineMs - nowMs);
    if (leftMs <= 0) return std::nullopt;
    options.totalTimeoutMs = std::min<long>(options.totalTimeoutMs, leftMs);
  }
  options.connectTimeoutMs = std::min(kConnectLimitMs, options.totalTimeoutMs);
  return options;
}

HttpGetFn BoundedHttpGet(std::function<uint32_t()> clockMs, std::shared_ptr<FetchCancel> cancel) {
  return [clockMs = std::move(clockMs), cancel = std::move(cancel)](
             const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    std::optional<HttpGetOptions> options = TransferOptions(bounds, clockMs());
    if (!options) return std::nullopt;
    options->cancel = cancel;
    return HttpGet(url, *options);
  };
}

void FetchCancel::Cancel() {
  cancelled_.store(true);
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, wake] : wakes_) wake();
}

uint64_t FetchCancel::AddWake(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(mutex_);
  wakes_.emplace(++lastId_, std::move(wake));
  return lastId_;
}

void FetchCancel::RemoveWake(uint64_t id) {
  // Once this returns, no Cancel is still calling the wake: what it reaches may go.
  std::lock_guard<std::mutex> lock(mutex_);
  wakes_.erase(id);
}
