// SPDX-License-Identifier: GPL-3.0-or-later
#include "icy.h"

#include <algorithm>

namespace station {

namespace {
constexpr size_t kMaxMetaBytes = 255 * 16;
}

std::string IcyMetadataBlock(std::string_view title) {
  std::string text = "StreamTitle='";
  constexpr std::string_view kTail = "';";
  const size_t room = kMaxMetaBytes - text.size() - kTail.size();
  text.append(title.substr(0, std::min(title.size(), room)));
  text.append(kTail);
  const size_t units = (text.size() + 15) / 16;
  std::string block(1, static_cast<char>(units));
  block += text;
  block.resize(1 + units * 16, '\0');
  return block;
}

void IcyInterleaver::Append(std::string_view audio, const std::string& title, std::string& out) {
  if (metaintBytes_ == 0) {
    out.append(audio);
    return;
  }
  while (!audio.empty()) {
    const size_t take = std::min(audio.size(), metaintBytes_ - sinceMetaBytes_);
    out.append(audio.substr(0, take));
    audio.remove_prefix(take);
    sinceMetaBytes_ += take;
    if (sinceMetaBytes_ == metaintBytes_) {
      if (!sentAny_ || title != sentTitle_) {
        out += IcyMetadataBlock(title);
        sentTitle_ = title;
        sentAny_ = true;
      } else {
        out.push_back('\0');
      }
      sinceMetaBytes_ = 0;
    }
  }
}

}  // namespace station
