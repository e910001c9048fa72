// UTF-16 text, the player's one string type, and its conversions at the edges.
// Positions and lengths count UTF-16 code units everywhere in the player.
#pragma once

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
