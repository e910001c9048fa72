// SPDX-License-Identifier: GPL-3.0-or-later
// The addresses the player uses: built in (see built_in_config.cpp), or
// servers on 127.0.0.1 in the tests.
#pragma once

#include <string>

struct StationConfig {
  std::string streamUrl;
  std::string stationSiteUrl;
  std::string podcastUrl;
  std::string top30Url;
  std::string forumUrl;
  std::string itunesBase;  // scheme://host[:port] of the first cover search service
  std::string deezerBase;  // scheme://host[:port] of the second one
};

// The addresses fixed when the program was configured. Defined in the
// built-in configuration library, which the program links (not orvelle_app).
StationConfig BuiltInConfig();
