#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the same local 128 kbit/s MP3 and AAC stations through the engine's
# headless driver, mpv and ffplay, one after the other, into one private
# PulseAudio null sink, and prints CPU seconds (user + system) and peak memory
# for each, and how often its threads wake up while it plays. Run by hand:
#   ./bench/engine/compare.sh [seconds] [rounds]   (default 30 s, 2 rounds)
# The players take turns within each round, so that noise from other work on
# the machine falls on all of them alike. BURST_SECONDS=0.5 makes the station
# send that much at once on connect, as most real stations do (default 0);
# RECORDER_MS, below, sets the sink's cadence; ENGINE_BUILD=DIR measures the
# engine and driver already built there (another tree's bench build, say)
# instead of this tree's. The engine's lines also give what the listener
# heard (first sound after the play call, last after the free call, gaps;
# see engine_drive.cpp) and its threads' wake-ups.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
rounds=${2:-2}
burst=${BURST_SECONDS:-0}
settle=5  # connecting and first buffers, left out of the wake-up count

# The players to compare against are needed here only, not by the tests.
./scripts/install-deps
for p in mpv time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || apt-get install -y -q --no-install-recommends "$p"
done

bin=${ENGINE_BUILD:-build/bench}
if [ -z "${ENGINE_BUILD:-}" ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j 2 --target orvelle_bass engine_drive engine_station_serve >/dev/null
fi

work=$(mktemp -d)
. tools/demo-env.sh
trap 'demo_stop_all; rm -rf "$work"' EXIT

# A minute of music-like noise in both formats.
noise="anoisesrc=color=pink:amplitude=0.25:d=60:r=44100,aformat=channel_layouts=stereo"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a libmp3lame -b:a 128k -write_xing 0 -f mp3 "$work/music.mp3"
ffmpeg -hide_banner -loglevel error -f lavfi -i "$noise" -c:a aac -b:a 128k -f adts "$work/music.aac"

# The shared output: a private sound server with a null sink, kept brisk by a
# recorder on its monitor. The recorder's latency sets the sink's cadence, and
# so how often the sink asks every player for data: 20 ms (the default) is a
# desktop where some other program holds the sink at low latency,
# RECORDER_MS=200 one where nothing does.
demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
parec --device=null.monitor --latency-msec="${RECORDER_MS:-20}" --format=float32le --rate=44100 --channels=2 \
  --raw >"$work/sink.f32" 2>/dev/null &
DEMO_PIDS+=("$!")
sleep 2

player_pid() {  # the player itself, under time and timeout
  local pid=$1 child
  while child=$(pgrep -P "$pid" | head -n 1) && [ -n "$child" ]; do pid=$child; done
  echo "$pid"
}

measure() {  # label command...: prints "label cpu_s peak_mib wakeups_per_s"
  local label=$1; shift
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null &
  local timed=$!
  sleep "$settle"
  ./bench/wakeups.sh "$(player_pid "$timed")" $((seconds > settle + 3 ? seconds - settle - 2 : 1)) >"$work/wakeups" 2>/dev/null || true
  wait "$timed" || true
  local wakeups
  wakeups=$(awk '/all threads/ { print $(NF - 1) }' "$work/wakeups")
  awk '!/all threads/ && $(NF - 1) + 0 >= 0.5 { printf "%s %s  ", $2, $(NF - 1) }' "$work/wakeups" >"$work/threads"
  # the last line: time may first note the exit status that timeout gives
  awk -v label="$label" -v w="${wakeups:--}" 'END { printf "%s %.2f %.1f %s\n", label, $1 + $2, $3 / 1024, w }' "$work/time"
}

printf "%-5s %-6s %-8s %8s %10s %10s\n" round stream player cpu_s peak_mib wakeups/s
for round in $(seq "$rounds"); do
  for format in mp3:audio/mpeg aac:audio/aacp; do
    ext=${format%%:*}; type=${format#*:}
    rm -f "$work/url"
    "$bin/engine_station_serve" "$work/music.$ext" 60 "$type" "$burst" >"$work/url" &
    DEMO_PIDS+=("$!")
    for _ in $(seq 50); do [ -s "$work/url" ] && break; sleep 0.1; done
    url=$(cat "$work/url")
    read -r _ cpu rss wake < <(measure engine env ORVELLE_RECORDING="$work/sink.f32" "$bin/engine_drive" "$url" "$seconds")
    value() { grep -o "$1=[-0-9.]*" "$work/out" | cut -d= -f2; }
    printf "%-5s %-6s %-8s %8s %10s %10s   first sound %s ms, heard %s ms; stop heard %s ms; gaps %s; threads: %s\n" \
      "$round" "$ext" engine "$cpu" "$rss" "$wake" "$(value first_sound_ms)" "$(value first_heard_ms)" \
      "$(value stop_heard_ms)" "$(value gaps)" "$(cat "$work/threads")"
    # A live stream never ends by itself: both players are stopped after the same time.
    read -r _ cpu rss wake < <(measure mpv timeout -s INT "$seconds" mpv --no-video --no-config --ao=pulse "$url")
    printf "%-5s %-6s %-8s %8s %10s %10s\n" "$round" "$ext" mpv "$cpu" "$rss" "$wake"
    read -r _ cpu rss wake < <(measure ffplay timeout -s INT "$seconds" ffplay -nodisp -autoexit -loglevel quiet "$url")
    printf "%-5s %-6s %-8s %8s %10s %10s\n" "$round" "$ext" ffplay "$cpu" "$rss" "$wake"
    kill "${DEMO_PIDS[-1]}"; unset 'DEMO_PIDS[-1]'
  done
done
