// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting a line of text to a width with "…", on the real drawing backend:
// the first two bytes give the width, the rest the text (UTF-8 or raw UTF-16).
#include "app/fonts.h"
#include "display/surface.h"
#include "display/text_fit.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Surface* surface = CreateSurface(800, 300);
  static Fonts fonts = [] {
    Fonts loaded;
    LoadFonts(loaded);
    return loaded;
  }();
  if (size < 2) return 0;
  const float maxWidth = float((data[0] | data[1] << 8) % 1200) - 100;  // some widths below zero
  const Text text = TextFromInput(Bytes(data + 2, size - 2));
  SelectFont(*surface, (data[0] & 1) != 0 ? fonts.fontTitle : fonts.fontArtist);

  const Text fitted = FitTextToWidth(*surface, text, maxWidth);
  static constexpr std::u16string_view kEllipsis = u"\u2026";
  if (fitted == text) {
    // ("…" alone comes back as itself when nothing fits.)
    Require(TextWidth(*surface, text) <= maxWidth || text == kEllipsis, "a text is kept whole only when it fits");
  } else {
    Require(fitted.size() >= 1 && fitted.back() == kEllipsis[0], "a shortened text ends with the ellipsis");
    const Text prefix = fitted.substr(0, fitted.size() - 1);
    Require(text.compare(0, prefix.size(), prefix) == 0, "a shortened text is a prefix of the text");
    Require(TextWidth(*surface, text) > maxWidth, "a text is shortened only when it does not fit");
    Require(prefix.empty() || TextWidth(*surface, fitted) <= maxWidth, "a shortened text fits, unless nothing does");
    if (!prefix.empty()) {
      Require(!(IsHighSurrogate(prefix.back()) && IsLowSurrogate(text[prefix.size()])), "a pair is never split");
    }
  }
  FittedTextCache cache;
  Require(FitTextToWidth(*surface, cache, text, maxWidth) == fitted, "the cache gives what fitting gives");
  return 0;
}
