#include "display/text_fit.h"

namespace {

constexpr char16_t kEllipsis[] = u"\u2026";
constexpr size_t kMaxFitted = 8;  // a frame fits two lines; a few spare for the previous song
// Far more code units than 640 pixels can show. A text from the network may
// be huge, and each step of the search below measures what is left of it.
constexpr size_t kMaxSearchedUnits = 1024;

void DropLastCharacter(Text& text) {
  // Removing one code unit at a time would split a character outside the
  // basic plane and leave a lone high surrogate: take the pair together.
  const bool pair = text.size() >= 2 && IsLowSurrogate(text.back()) && IsHighSurrogate(text[text.size() - 2]);
  text.resize(text.size() - (pair ? 2 : 1));
}

Text Shorten(Surface& s, const Text& text, float maxWidth) {
  if (TextWidth(s, text) <= maxWidth) return text;
  Text shortened = text;
  while (shortened.size() > kMaxSearchedUnits) DropLastCharacter(shortened);
  Text candidate;
  for (;;) {
    if (shortened.empty()) break;
    candidate.assign(shortened).append(kEllipsis);
    if (TextWidth(s, candidate) <= maxWidth) break;
    DropLastCharacter(shortened);
  }
  return shortened + kEllipsis;
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
