#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The engine benchmark's comparison for the Windows build: the same local
# 128 kbit/s MP3 and AAC stations played by the Linux engine (libbass.so) and
# by the 32-bit libbass.dll under Wine, one after the other, into one private
# PulseAudio null sink. Prints CPU seconds (user + system) and peak memory of
# each player's process, the CPU that Wine's server spent meanwhile, and the
# time from the play call to the first sound.
# Run by hand: ./bench/engine/compare-windows.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
. tools/demo-env.sh
. tools/wine/wine-env.sh

./scripts/install-deps
dpkg-query -W -f='${Status}\n' time 2>/dev/null | grep -q 'ok installed' || apt-get install -y -q --no-install-recommends time
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 --target orvelle_bass engine_drive engine_station_serve >/dev/null
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j 2 --target orvelle_bass engine_drive >/dev/null
linux=build/bench
windows=build/windows-i686

work=$(mktemp -d)
station=
cleanup() {
  [ -z "$station" ] || kill "$station" 2>/dev/null || true
  wine_server_stop
  demo_stop_all
  rm -rf "$work"
}
trap cleanup EXIT

noise="anoisesrc=color=pink:amplitude=0.25:d=60:r=44100,aformat=channel_layouts=stereo"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a libmp3lame -b:a 128k -write_xing 0 -f mp3 "$work/music.mp3"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a aac -b:a 128k -f adts "$work/music.aac"

demo_start_pulse
parec --device=null.monitor --latency-msec=20 --raw >/dev/null 2>&1 &
DEMO_PIDS+=($!)
wine_make_prefix "$PWD/$windows/wineprefix"
wine_server_start
server=
for pid in $(pgrep wineserver); do  # this prefix's, not another developer's
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$pid
done
[ -n "$server" ] || { echo "no wineserver for $WINEPREFIX" >&2; exit 1; }

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() {  # label command...: prints "label cpu_s peak_mib first_sound_ms"
  local label=$1; shift
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
  local first
  first=$(grep -o 'first_sound_ms=[0-9.]*' "$work/out" | cut -d= -f2)
  awk -v label="$label" -v first="${first:-?}" 'END { printf "%s %.2f %.1f %s\n", label, $1 + $2, $3 / 1024, first }' "$work/time"
}

printf "%-6s %-22s %8s %10s %12s\n" stream player cpu_s peak_mib first_ms
for format in mp3:audio/mpeg aac:audio/aacp; do
  ext=${format%%:*}; type=${format#*:}
  "$linux/engine_station_serve" "$work/music.$ext" 60 "$type" >"$work/url" &
  station=$!
  for _ in $(seq 50); do [ -s "$work/url" ] && break; sleep 0.1; done
  url=$(cat "$work/url")
  read -r _ cpu rss first < <(measure linux env SDL_AUDIODRIVER=pulseaudio "$linux/engine_drive" "$url" "$seconds")
  printf "%-6s %-22s %8s %10s %12s\n" "$ext" "libbass.so" "$cpu" "$rss" "$first"
  before=$(cpu_ticks "$server")
  read -r _ cpu rss first < <(measure wine timeout -k 5 $((seconds + 60)) wine "$windows/engine_drive.exe" "$url" "$seconds")
  server_cpu=$(awk -v a="$before" -v b="$(cpu_ticks "$server")" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", (b - a) / hz }')
  printf "%-6s %-22s %8s %10s %12s   (+ wineserver %s s)\n" "$ext" "libbass.dll i686, Wine" "$cpu" "$rss" "$first" "$server_cpu"
  kill "$station"; wait "$station" 2>/dev/null || true; station=
done
