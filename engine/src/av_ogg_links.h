// SPDX-License-Identifier: GPL-3.0-or-later
// A chained Ogg stream, as a station sends it: each song a logical stream of
// its own, with its own headers, and its codec (Vorbis or Opus), rate and
// channel count free to change. libav's Ogg demuxer follows a change of song
// only within one codec; so the demuxer reads one link at a time, and the
// input opens a demuxer and a decoder for each.
#pragma once

struct AVIOContext;

namespace orvelle {

struct OggLinks;

// Reads `source` (which stays the caller's) page by page.
OggLinks* OpenOggLinks(AVIOContext* source);
void CloseOggLinks(OggLinks* links);

// What the demuxer reads: the current link, which ends where the first page
// of the next one begins. Null when out of memory. It changes at each link.
AVIOContext* OggLinkReader(OggLinks* links);

// Whether the current link has ended because the next one began (rather than
// the stream failing or ending).
bool NextOggLinkWaits(const OggLinks* links);

// Moves on to the link that waits, with a new reader (the previous one is
// freed: close its demuxer first). False when out of memory.
bool OpenNextOggLink(OggLinks* links);

}  // namespace orvelle
