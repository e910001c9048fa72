#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Generates the demo station's playlist: one short MP3 per song, 128 kbit/s,
# 44.1 kHz, stereo, each with a sound easy to tell apart by ear and by a
# spectrum (pure tone, chord, noise, square wave, beeps). The station loops a
# track for as long as its song is on air, so a few seconds each is enough.
# No ID3 tag and no Xing frame: the station sends raw frames back to back.
# Usage: make-tracks.sh OUTPUT_DIR [SECONDS]
set -euo pipefail

out=${1:?usage: make-tracks.sh OUTPUT_DIR [SECONDS]}
seconds=${2:-8}
mkdir -p "$out"

# name|ffmpeg lavfi source; amplitudes stay at or below 0.5 so that a
# volume test has headroom and nothing clips.
tracks=(
  "track0|aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=$seconds"
  "track1|aevalsrc=0.17*(sin(2*PI*261.63*t)+sin(2*PI*329.63*t)+sin(2*PI*392*t)):s=44100:d=$seconds"
  "track2|anoisesrc=color=pink:amplitude=0.9:sample_rate=44100:duration=$seconds"
  "track3|aevalsrc=0.3*sgn(sin(2*PI*220*t)):s=44100:d=$seconds"
  "track4|aevalsrc=0.5*sin(2*PI*880*t)*lt(mod(t\,0.5)\,0.25):s=44100:d=$seconds"
)

for entry in "${tracks[@]}"; do
  name=${entry%%|*}
  source=${entry#*|}
  tmp="$out/$name.tmp.mp3"
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" \
    -ac 2 -ar 44100 -c:a libmp3lame -b:a 128k \
    -write_xing 0 -id3v2_version 0 -map_metadata -1 -f mp3 "$tmp"
  mv -f "$tmp" "$out/$name.mp3"
done
