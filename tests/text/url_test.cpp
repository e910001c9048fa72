// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/url.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitUrl, Parts) {
  const struct {
    const char* url;
    const char* scheme;
    const char* authority;
    const char* path;
    const char* host;
    const char* port;
  } cases[] = {
      {"http://radio.example/", "http", "radio.example", "/", "radio.example", ""},
      {"http://127.0.0.1:18000/;stream/1", "http", "127.0.0.1:18000", "/;stream/1", "127.0.0.1", "18000"},
      {"https://user:pw@host.example?x", "https", "user:pw@host.example?x", "", "host.example", ""},
      {"host.example/path", "", "host.example", "/path", "host.example", ""},
      {"http://[::1]:8000/", "http", "[::1]:8000", "/", "[::1]", "8000"},  // IPv6 keeps its brackets
      {"http://[fe80::1]/a", "http", "[fe80::1]", "/a", "[fe80::1]", ""},
      {"http://[2001:db8::7]/", "http", "[2001:db8::7]", "/", "[2001:db8::7]", ""},
      {"http://h.example#top", "http", "h.example#top", "", "h.example", ""},
      {"/only/a/path", "", "", "/only/a/path", "", ""},
      {"", "", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const UrlParts parts = SplitUrl(T(c.url));
    EXPECT_EQ(parts.scheme, T(c.scheme));
    EXPECT_EQ(parts.authority, T(c.authority));
    EXPECT_EQ(parts.path, T(c.path));
    EXPECT_EQ(parts.host, T(c.host));
    EXPECT_EQ(parts.port, T(c.port));
  }
}

}  // namespace
