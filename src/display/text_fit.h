// Shortening a line of text to a pixel width with a trailing ellipsis.
#pragma once

#include "text/text.h"
#include "display/surface.h"

// The text itself when it is at most `maxWidth` pixels wide in the selected
// font; otherwise the longest prefix that still fits with "…" after it, plus
// "…" ("…" alone when nothing fits). A surrogate pair is removed whole.
Text FitTextToWidth(Surface& s, const Text& text, float maxWidth);
