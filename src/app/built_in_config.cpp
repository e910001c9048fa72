// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/station_config.h"
#include "built_in_addresses.h"

StationConfig BuiltInConfig() {
  return {kStreamUrl, kStationSiteUrl, kPodcastUrl, kTop30Url, kForumUrl, kItunesBase, kDeezerBase};
}
