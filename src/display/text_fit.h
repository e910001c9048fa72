// SPDX-License-Identifier: GPL-3.0-or-later
// Shortening a line of text to a pixel width with a trailing ellipsis.
#pragma once

#include <vector>

#include "display/surface.h"
#include "text/text.h"

// The text itself when it is at most `maxWidth` pixels wide in the selected
// font; otherwise the longest prefix that still fits with "…" after it, plus
// "…" ("…" alone when nothing fits). A surrogate pair is removed whole.
Text FitTextToWidth(Surface& s, const Text& text, float maxWidth);

// The same title is fitted on every frame, and fitting a long one measures it
// many times over: a caller that fits the same texts again keeps the results.
struct FittedTextCache {
  struct Entry {
    FontFace font;
    float maxWidth;
    Text text;
    Text fitted;
  };
  std::vector<Entry> entries;  // at most a few, the oldest replaced first
  size_t next = 0;
};
const Text& FitTextToWidth(Surface& s, FittedTextCache& cache, const Text& text, float maxWidth);
