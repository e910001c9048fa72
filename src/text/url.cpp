// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/url.h"

UrlParts SplitUrl(const Text& url) {
  UrlParts parts;
  const size_t scheme = url.find(u"://");
  const size_t begin = scheme == Text::npos ? 0 : scheme + 3;
  if (scheme != Text::npos) parts.scheme = url.substr(0, scheme);
  const size_t slash = url.find(u'/', begin);
  const size_t end = slash == Text::npos ? url.size() : slash;
  parts.authority = url.substr(begin, end - begin);
  parts.path = url.substr(end);

  Text host = parts.authority.substr(0, parts.authority.find_first_of(u"?#"));
  const size_t at = host.rfind(u'@');  // user:password@host
  if (at != Text::npos) host.erase(0, at + 1);
  // An IPv6 literal keeps its brackets, as the URL writes it: "[::1]".
  const size_t colon = host.find(u':', host.starts_with(u'[') ? host.find(u']') : 0);
  if (colon != Text::npos) {
    parts.port = host.substr(colon + 1);
    host.erase(colon);
  }
  parts.host = std::move(host);
  return parts;
}
