// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz_support.h"

#include "nowplaying/now_playing.h"

void CheckCleanedTitle(const Text& title, bool sourceHadLoneSurrogates) {
  Require(title.size() <= kMaxTitleUnits, "a cleaned title is at most kMaxTitleUnits long");
  Require(title.find(u'\t') == Text::npos, "no tab is left in a cleaned title");
  Require(title.find(u"\r\n") == Text::npos, "no CR LF pair is left in a cleaned title");
  Require(title.empty() || (title.front() != u' ' && title.back() != u' '), "a cleaned title is trimmed");
  Require(CleanTitle(title) == title, "cleaning a cleaned title changes nothing");
  Require(sourceHadLoneSurrogates || !HasLoneSurrogate(title), "cleaning never leaves half a character");
}

std::optional<std::string> PageOf(const std::string& part) {
  if (part == "<fail>") return std::nullopt;
  return part;
}
