// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-16 text, the player's one string type, and its conversions at the edges.
// Positions and lengths count UTF-16 code units everywhere in the player.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

using Text = std::u16string;

// Decodes UTF-8; every malformed sequence becomes U+FFFD.
Text Utf8ToText(std::string_view utf8);

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string TextToUtf8(std::u16string_view text);

// Convenience for literals and configuration values that are known UTF-8.
inline Text T(std::string_view utf8) { return Utf8ToText(utf8); }

// Removes U+0020 spaces at both ends, nothing else (tabs and NBSP stay).
Text TrimSpaces(std::u16string_view text);

// A copy with ASCII a-z made upper case, same length: a position found in it
// is the position in the original. Other characters are left as they are.
Text UpperCaseAscii(std::u16string_view text);

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// `at`, or one less when it falls between the two halves of a surrogate pair:
// where a prefix of `text` may end without splitting a character.
inline size_t CharacterBoundaryAtOrBefore(std::u16string_view text, size_t at) {
  const bool inPair = at > 0 && at < text.size() && IsHighSurrogate(text[at - 1]) && IsLowSurrogate(text[at]);
  return inPair ? at - 1 : at;
}

// The first `maxUnits` code units of `text` (all of it when shorter), one
// fewer rather than half a surrogate pair.
inline Text CutToUnits(std::u16string_view text, size_t maxUnits) {
  return Text(text.substr(0, CharacterBoundaryAtOrBefore(text, std::min(maxUnits, text.size()))));
}
