#include "nowplaying/http_get.h"

#include <curl/curl.h>

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
int GiveUpWhenAsked(void* shouldAbort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return (*static_cast<const std::function<bool()>*>(shouldAbort))() ? 1 : 0;
}

}  // namespace

std::optional<std::string> HttpGet(const std::string& url, const HttpGetOptions& options) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return std::nullopt;

  BodySink sink{{}, options.maxBodyBytes};
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
  if (options.shouldAbort) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, GiveUpWhenAsked);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &options.shouldAbort);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }

  const CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK) return std::nullopt;
  return std::move(sink.body);
}
