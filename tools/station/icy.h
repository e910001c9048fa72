// SPDX-License-Identifier: GPL-3.0-or-later
// In-band stream metadata the way internet-radio servers send it to a
// client that asked for it with "Icy-MetaData: 1": after every `metaint`
// bytes of audio, one length byte (in units of 16 bytes) and that many bytes
// of "StreamTitle='...';" padded with zeros; a zero length when unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace station {

// The metadata block for a title: length byte and padded text; the text is
// cut so the block never exceeds 1 + 255 * 16 bytes.
std::string IcyMetadataBlock(std::string_view title);

class IcyInterleaver {
 public:
  // metaintBytes 0: audio passes through untouched.
  explicit IcyInterleaver(size_t metaintBytes) : metaintBytes_(metaintBytes) {}

  // Appends audio (with metadata blocks due inside it) to out. title is the
  // song the audio belongs to; it goes out in full at the first block and
  // whenever it changes.
  void Append(std::string_view audio, const std::string& title, std::string& out);

 private:
  size_t metaintBytes_;
  size_t sinceMetaBytes_ = 0;
  std::string sentTitle_;
  bool sentAny_ = false;
};

}  // namespace station
