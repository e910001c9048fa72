#!/usr/bin/env bash
# Plays the same local 128 kbit/s MP3 and AAC stations through the engine's
# headless driver, mpv and ffplay, one after the other, into one private
# PulseAudio null sink, and prints CPU seconds (user + system) and peak memory
# for each. Run by hand: ./bench/engine/compare.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}

# The players to compare against are needed here only, not by the tests.
./scripts/install-deps
for p in mpv time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || apt-get install -y -q --no-install-recommends "$p"
done

cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 --target orvelle_bass engine_drive engine_station_serve >/dev/null
bin=build/bench

work=$(mktemp -d)
. tools/demo-env.sh
trap 'demo_stop_all; rm -rf "$work"' EXIT

# A minute of music-like noise in both formats.
noise="anoisesrc=color=pink:amplitude=0.25:d=60:r=44100,aformat=channel_layouts=stereo"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a libmp3lame -b:a 128k -write_xing 0 -f mp3 "$work/music.mp3"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a aac -b:a 128k -f adts "$work/music.aac"

# The shared output: a private sound server with a null sink, kept brisk by a
# low-latency recorder on its monitor.
demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
demo_start_recorder
sleep 2

measure() {  # label command...: prints "cpu_s peak_mib"
  local label=$1; shift
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
  # the last line: time may first note the exit status that timeout gives
  awk -v label="$label" 'END { printf "%s %.2f %.1f\n", label, $1 + $2, $3 / 1024 }' "$work/time"
}

printf "%-6s %-8s %8s %10s\n" stream player cpu_s peak_mib
for format in mp3:audio/mpeg aac:audio/aacp; do
  ext=${format%%:*}; type=${format#*:}
  "$bin/engine_station_serve" "$work/music.$ext" 60 "$type" >"$work/url" &
  DEMO_PIDS+=("$!")
  for _ in $(seq 50); do [ -s "$work/url" ] && break; sleep 0.1; done
  url=$(cat "$work/url")
  read -r _ engine_cpu engine_rss < <(measure engine "$bin/engine_drive" "$url" "$seconds")
  first=$(grep -o 'first_sound_ms=[0-9.]*' "$work/out" | cut -d= -f2)
  # A live stream never ends by itself: both players are stopped after the same time.
  read -r _ mpv_cpu mpv_rss < <(measure mpv timeout -s INT "$seconds" mpv --no-video --no-config --ao=pulse "$url")
  read -r _ ffplay_cpu ffplay_rss < <(measure ffplay timeout -s INT "$seconds" ffplay -nodisp -autoexit -loglevel quiet "$url")
  printf "%-6s %-8s %8s %10s   first sound %s ms\n" "$ext" engine "$engine_cpu" "$engine_rss" "$first"
  printf "%-6s %-8s %8s %10s\n" "$ext" mpv "$mpv_cpu" "$mpv_rss"
  printf "%-6s %-8s %8s %10s\n" "$ext" ffplay "$ffplay_cpu" "$ffplay_rss"
  kill "${DEMO_PIDS[-1]}"; unset 'DEMO_PIDS[-1]'
done
