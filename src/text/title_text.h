// SPDX-License-Identifier: GPL-3.0-or-later
// Text rules for now-playing titles: splitting into artist and title,
// cleaning for a search, and encoding for a query string. Pure functions.
#pragma once

#include "text/text.h"

struct ArtistTitle {
  Text artist;
  Text title;
};

// Splits at the first " - ": both sides trimmed. Without the separator the
// artist is empty and the title is the whole text, untrimmed.
ArtistTitle SplitNowPlaying(const Text& nowPlaying);

// Drops what spoils a search: " (…" and " […" tails, a " feat." or " ft."
// tail (either case), and runs of spaces.
Text NormalizeForSearch(const Text& text);

// Query-string value: ASCII letters and digits kept, space as "+", every
// other code unit up to U+00FF as "%XX" of its own code; above U+00FF, the
// UTF-8 bytes of the character, each as "%XX" (a lone surrogate as U+FFFD).
Text UrlEncode(const Text& text);
