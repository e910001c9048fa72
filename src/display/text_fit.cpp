// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/text_fit.h"

namespace {

constexpr char16_t kEllipsis[] = u"\u2026";
constexpr size_t kMaxFitted = 8;  // a frame fits two lines; a few spare for the previous song
// Far more code units than 640 pixels can show. A text from the network may
// be huge, and each step of the search below measures a prefix of it.
constexpr size_t kMaxSearchedUnits = 1024;

// The longest prefix of `text` that fits `maxWidth` with "…" after it, plus
// "…". The widths of prefixes grow with their length, so a binary search
// measures about log2(n) of them where dropping one character at a time
// would measure n.
Text Shorten(Surface& s, const Text& text, float maxWidth) {
  if (TextWidth(s, text) <= maxWidth) return text;
  Text candidate;
  const auto fits = [&](size_t units) {
    candidate.assign(text, 0, units).append(kEllipsis);
    return TextWidth(s, candidate) <= maxWidth;
  };
  // Invariant: a prefix of `fitting` units fits (none at all stands for "…"
  // alone); one of `tooLong` units does not. Both end between characters.
  size_t fitting = 0;
  size_t tooLong = CharacterBoundaryAtOrBefore(text, std::min(text.size(), kMaxSearchedUnits));
  if (fits(tooLong)) return candidate;
  while (tooLong - fitting > 1) {
    size_t middle = CharacterBoundaryAtOrBefore(text, fitting + (tooLong - fitting) / 2);
    if (middle == fitting) middle += 2;  // the pair that starts at `fitting`
    if (middle >= tooLong) break;
    (fits(middle) ? fitting : tooLong) = middle;
  }
  return text.substr(0, fitting) + kEllipsis;
}

}  // namespace

Text FitTextToWidth(Surface& s, const Text& text, float maxWidth) { return Shorten(s, text, maxWidth); }

const Text& FitTextToWidth(Surface& s, FittedTextCache& cache, const Text& text, float maxWidth) {
  const FontFace& font = SelectedFont(s);
  for (const auto& entry : cache.entries) {
    if (entry.font == font && entry.maxWidth == maxWidth && entry.text == text) return entry.fitted;
  }
  FittedTextCache::Entry entry{font, maxWidth, text, Shorten(s, text, maxWidth)};
  if (cache.entries.size() < kMaxFitted) {
    cache.entries.push_back(std::move(entry));
    return cache.entries.back().fitted;
  }
  FittedTextCache::Entry& slot = cache.entries[cache.next];
  slot = std::move(entry);
  cache.next = (cache.next + 1) % kMaxFitted;
  return slot.fitted;
}
