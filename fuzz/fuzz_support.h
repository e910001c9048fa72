// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: turning the input into texts and parts, and
// checking the properties every title the player keeps must have. A broken
// property aborts, which libFuzzer reports as a crash with the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

// Aborts with `what` when `holds` is false.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Several inputs in one: the parts between separator lines. A seed file
// reads as the pages it holds, one after the other.
constexpr std::string_view kPartSeparator = "\n~~~~\n";
inline std::vector<std::string> SplitParts(std::string_view input, size_t count) {
  std::vector<std::string> parts;
  while (parts.size() + 1 < count) {
    const size_t at = input.find(kPartSeparator);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + kPartSeparator.size());
  }
  parts.emplace_back(input);
  parts.resize(count);
  return parts;
}

// A text as the player may hold one: decoded from UTF-8 (as every page is)
// when the first byte is even, else the raw code units, lone surrogates and
// all (as a text built in the program could be).
inline Text TextFromInput(std::string_view input) {
  if (input.empty()) return {};
  const bool raw = (uint8_t(input[0]) & 1) != 0;
  input.remove_prefix(1);
  if (!raw) return Utf8ToText(input);
  Text text;
  for (size_t i = 0; i + 1 < input.size(); i += 2) text.push_back(char16_t(uint8_t(input[i]) | uint8_t(input[i + 1]) << 8));
  return text;
}

inline bool HasLoneSurrogate(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      return true;
    }
  }
  return false;
}

// A title as CleanTitle leaves it: no tab, no CR LF pair, no space at either
// end, not over the length bound, unchanged by a second cleaning; and no lone
// surrogate unless its source had one (a cut never splits a pair).
void CheckCleanedTitle(const Text& title, bool sourceHadLoneSurrogates = false);

// The page a fake server sends for a part: "<fail>" stands for a failed transfer.
std::optional<std::string> PageOf(const std::string& part);
