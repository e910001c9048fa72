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

Text FitTextToWidth(Surface& s, const Text& text, float maxWidth) {
  // The same title is fitted on every frame; the search runs once per text.
  for (const auto& entry : s.fitted) {
    if (entry.font == s.font && entry.maxWidth == maxWidth && entry.text == text) return entry.fitted;
  }
  Text fitted = Shorten(s, text, maxWidth);
  Surface::FittedText entry{s.font, maxWidth, text, fitted};
  if (s.fitted.size() < kMaxFitted) {
    s.fitted.push_back(std::move(entry));
  } else {
    s.fitted[s.nextFitted] = std::move(entry);
    s.nextFitted = (s.nextFitted + 1) % kMaxFitted;
  }
  return fitted;
}
