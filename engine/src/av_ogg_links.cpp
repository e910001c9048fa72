// SPDX-License-Identifier: GPL-3.0-or-later
#include "av_ogg_links.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orvelle {

namespace {

constexpr size_t kPageHeaderBytes = 27;
constexpr uint8_t kFirstPageFlag = 0x02;  // "beginning of stream": the first page of a logical stream
constexpr int kReaderBufferBytes = 4096;
constexpr int kSourceChunkBytes = 4096;

}  // namespace

// Owned by one thread at a time, as the input is.
struct OggLinks {
  AVIOContext* source = nullptr;
  AVIOContext* reader = nullptr;
  // Bytes read from the source and not handed on yet, from `at`. The unit
  // being handed on (a page, or bytes that are none, which the demuxer skips
  // as it finds its way back) is the first `unitBytes` of them.
  std::vector<uint8_t> pending;
  size_t at = 0;
  size_t unitBytes = 0;
  bool linkHasMedia = false;    // a page other than a first one went by in this link
  bool nextLinkWaits = false;   // the unit at `at` is the first page of the next link
};

namespace {

size_t Buffered(const OggLinks& l) { return l.pending.size() - l.at; }

// At least `bytes` buffered from `at`, reading the source as needed. Its
// error or end otherwise.
int Buffer(OggLinks& l, size_t bytes) {
  if (l.at > 0 && Buffered(l) < bytes) {  // room at the front first
    l.pending.erase(l.pending.begin(), l.pending.begin() + ptrdiff_t(l.at));
    l.at = 0;
  }
  uint8_t chunk[kSourceChunkBytes];
  while (Buffered(l) < bytes) {
    const int got = avio_read_partial(l.source, chunk, sizeof chunk);
    if (got <= 0) return got == 0 ? AVERROR_EOF : got;
    l.pending.insert(l.pending.end(), chunk, chunk + got);
  }
  return 0;
}

bool CapturePatternAt(const OggLinks& l, size_t offset) {
  return std::memcmp(l.pending.data() + l.at + offset, "OggS", 4) == 0;
}

enum class Unit { Page, FirstPage, NotAPage };

// Sizes the next unit: a whole page when one starts at `at`, else the bytes
// up to the next capture pattern; and the rest as it is when the stream ends
// (or fails) within a page.
int NextUnit(OggLinks& l, Unit* unit) {
  *unit = Unit::NotAPage;
  size_t pageBytes = 0;
  int err = Buffer(l, kPageHeaderBytes);
  if (err == 0 && !CapturePatternAt(l, 0)) {
    size_t offset = 1;
    while (offset + 4 <= Buffered(l) && !CapturePatternAt(l, offset)) ++offset;
    l.unitBytes = offset;
    return 0;
  }
  if (err == 0) {
    const size_t segments = l.pending[l.at + kPageHeaderBytes - 1];
    err = Buffer(l, kPageHeaderBytes + segments);
    if (err == 0) {
      pageBytes = kPageHeaderBytes + segments;
      for (size_t i = 0; i < segments; ++i) pageBytes += l.pending[l.at + kPageHeaderBytes + i];
      err = Buffer(l, pageBytes);
    }
  }
  if (err < 0) {
    if (Buffered(l) == 0) return err;
    l.unitBytes = Buffered(l);
    return 0;
  }
  l.unitBytes = pageBytes;
  *unit = (l.pending[l.at + 5] & kFirstPageFlag) != 0 ? Unit::FirstPage : Unit::Page;
  return 0;
}

// The reader's callback: the current link's bytes, then its end.
int ReadLink(void* opaque, uint8_t* buffer, int size) {
  auto& l = *static_cast<OggLinks*>(opaque);
  if (l.nextLinkWaits) return AVERROR_EOF;
  if (l.unitBytes == 0) {
    Unit unit;
    if (int err = NextUnit(l, &unit); err < 0) return err;
    if (unit == Unit::FirstPage && l.linkHasMedia) {
      l.nextLinkWaits = true;
      return AVERROR_EOF;
    }
    l.linkHasMedia = l.linkHasMedia || unit == Unit::Page;
  }
  const size_t n = std::min(l.unitBytes, size_t(size));
  std::memcpy(buffer, l.pending.data() + l.at, n);
  l.at += n;
  l.unitBytes -= n;
  return int(n);
}

void FreeReader(OggLinks& l) {
  if (l.reader == nullptr) return;
  av_freep(&l.reader->buffer);
  avio_context_free(&l.reader);
}

bool NewReader(OggLinks& l) {
  FreeReader(l);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kReaderBufferBytes));
  if (buffer == nullptr) return false;
  l.reader = avio_alloc_context(buffer, kReaderBufferBytes, 0, &l, ReadLink, nullptr, nullptr);
  if (l.reader == nullptr) av_free(buffer);
  return l.reader != nullptr;
}

}  // namespace

OggLinks* OpenOggLinks(AVIOContext* source) {
  auto* links = new OggLinks;
  links->source = source;
  if (!NewReader(*links)) {
    delete links;
    return nullptr;
  }
  return links;
}

void CloseOggLinks(OggLinks* links) {
  if (links == nullptr) return;
  FreeReader(*links);
  delete links;
}

AVIOContext* OggLinkReader(OggLinks* links) { return links->reader; }

bool NextOggLinkWaits(const OggLinks* links) { return links != nullptr && links->nextLinkWaits; }

bool OpenNextOggLink(OggLinks* links) {
  links->nextLinkWaits = false;
  links->linkHasMedia = false;
  return NewReader(*links);
}

}  // namespace orvelle
