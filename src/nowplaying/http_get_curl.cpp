// SPDX-License-Identifier: GPL-3.0-or-later
// HttpGet on libcurl.
#include <curl/curl.h>

#include "nowplaying/http_get.h"
#include "os/log.h"

namespace {

constexpr const char* kUserAgent = "Mozilla/5.0 Gecko/41.0 Firefox/41.0";
// A redirect loop ends here rather than running into the total time-out.
constexpr long kMaxRedirects = 30;

struct BodySink {
  std::string body;
  size_t maxBytes;
};

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
  auto* sink = static_cast<BodySink*>(userData);
  const size_t bytes = size * count;
  // Returning less than was offered makes curl fail the transfer.
  if (bytes > sink->maxBytes - sink->body.size()) return 0;
  sink->body.append(data, bytes);
  return bytes;
}

// libcurl's progress callback: a non-zero answer aborts the transfer.
int GiveUpWhenCancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const FetchCancel*>(cancel)->Cancelled() ? 1 : 0;
}

// Runs the transfer as curl_easy_perform would, but in a wait that a
// cancellation from another thread ends at once (curl_multi_wakeup): the
// progress callback alone is asked only about once a second while a server
// stalls.
CURLcode Perform(CURL* curl, FetchCancel* cancel) {
  if (cancel == nullptr) return curl_easy_perform(curl);
  CURLM* multi = curl_multi_init();
  if (multi == nullptr || curl_multi_add_handle(multi, curl) != CURLM_OK) {
    if (multi != nullptr) curl_multi_cleanup(multi);
    return CURLE_OUT_OF_MEMORY;
  }
  const uint64_t wake = cancel->AddWake([multi] { curl_multi_wakeup(multi); });
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      const CURLMsg* message = curl_multi_info_read(multi, &left);
      result = message != nullptr && message->msg == CURLMSG_DONE ? message->data.result : CURLE_FAILED_INIT;
      break;
    }
    if (cancel->Cancelled()) break;
    // libcurl's own time-outs shorten this wait as they need.
    if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  cancel->RemoveWake(wake);
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return result;
}

}  // namespace

std::optional<std::string> HttpGet(const std::string& url, const HttpGetOptions& options) {
  // libcurl reads a time-out of 0 as none at all.
  if (options.totalTimeoutMs <= 0 || options.connectTimeoutMs <= 0) return std::nullopt;
  if (options.cancel && options.cancel->Cancelled()) return std::nullopt;  // nothing goes out
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    LogDiagnostic("GET %s: no transfer could be set up", url.c_str());
    return std::nullopt;
  }

  BodySink sink{{}, options.maxBodyBytes};
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  // Only the web: a URL read from a search answer must not reach local
  // files or other protocols, neither directly nor through a redirect.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  // libcurl would otherwise ignore SIGPIPE and arm SIGALRM around a transfer,
  // under the player's own signal handling.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.lowSpeedTimeS);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
  // Refuses at once a body whose announced length is over the cap; the
  // write callback enforces it for bodies of unknown length.
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  if (options.cancel) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, GiveUpWhenCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, options.cancel.get());
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }

  const CURLcode result = Perform(curl, options.cancel.get());
  curl_easy_cleanup(curl);
  if (result != CURLE_OK) {
    if (options.cancel && options.cancel->Cancelled()) return std::nullopt;  // given up: not worth a line
    LogDiagnostic("GET %s failed: %s", url.c_str(), error[0] != '\0' ? error : curl_easy_strerror(result));
    return std::nullopt;
  }
  return std::move(sink.body);
}

bool InitHttp() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

void CleanUpHttp() { curl_global_cleanup(); }
