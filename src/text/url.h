// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a URL into the parts the player uses: the server part that the
// status pages are asked of, and the host the About window names.
#pragma once

#include "text/text.h"

// "scheme://user@host:port/path?query". Positions are found as in a plain
// text search: the server part ends at the first "/" after "://" (or at the
// first "/" at all without a scheme), whatever stands before it.
struct UrlParts {
  Text scheme;     // before "://"; empty without one
  Text authority;  // after "://" (or from the start) up to the path; query included when no "/" follows
  Text path;       // from that "/" to the end; empty when there is none
  Text host;       // the authority without user, port, query or fragment; an IPv6 literal keeps its brackets
  Text port;       // after the host's ":", when there is one
};

UrlParts SplitUrl(const Text& url);
