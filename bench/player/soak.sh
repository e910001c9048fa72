#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long run of the player, accelerated, for its memory over time. The station
# changes song every SONG_SECONDS (2.5: each poll, 10 s apart, finds a new
# song, and successive polls meet all five, the one without a cover
# included; a real station changes every three or four minutes, so an hour
# here holds the cover changes of a day on air), V cycles the visualizer
# every V_SECONDS (3), and the stream plays throughout. Every
# SAMPLE_SECONDS (10) the player's resident memory, descriptors and threads go
# to a CSV; at the end the RSS slope after the warm-up (WARMUP_MINUTES, 5) is
# printed in MB per hour, by least squares, with the slope of each half.
# Run by hand, not in CI: ./bench/player/soak.sh [minutes]   (default 60)
# The player is built in build/soak with ports of its own (SOAK_PORT, then the
# two next ones; 18360 by default), away from the demo and the e2e tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
minutes=${1:-60}
song_seconds=${SONG_SECONDS:-2.5}
v_seconds=${V_SECONDS:-3}
sample_seconds=${SAMPLE_SECONDS:-10}
warmup_minutes=${WARMUP_MINUTES:-5}
port=${SOAK_PORT:-18360}
build=$PWD/build/soak

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVELLE_STREAM_URL="http://127.0.0.1:$port/;stream/1" \
  -DORVELLE_ITUNES_BASE="http://127.0.0.1:$((port + 1))" -DORVELLE_DEEZER_BASE="http://127.0.0.1:$((port + 2))" >/dev/null
cmake --build "$build" -j 2 --target orvelle-player orvelle_bass orvelle-station >/dev/null

. tools/demo-env.sh
work=$(mktemp -d /tmp/orvelle-soak.XXXXXX)
trap 'demo_stop_all; rm -rf "$work"' EXIT
csv=${SOAK_CSV:-$PWD/build/soak/soak-$(date +%Y%m%d-%H%M%S).csv}

demo_start_xvfb
demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
demo_start_recorder
demo_start_station "$build/orvelle-station" --quiet --port "$port" --itunes-port $((port + 1)) \
  --deezer-port $((port + 2)) --song-seconds "$song_seconds"

"$build/orvelle-player" >"$work/player.log" 2>&1 &
player=$!
DEMO_PIDS+=("$player")
demo_wait_for 200 xdotool search --onlyvisible --name '^Orvelle Player$' || { demo_log "no player window"; exit 1; }
window=$(xdotool search --onlyvisible --name '^Orvelle Player$' | head -1)
height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
top=$((height - 300))  # the 800 by 300 surface sits under the menu bar
sleep 2
xdotool mousemove --window "$window" 306 $((top + 236)) click 1  # play
(
  while sleep "$v_seconds"; do xdotool windowfocus --sync "$window" key v >/dev/null 2>&1 || true; done
) &
DEMO_PIDS+=("$!")

echo "seconds,rss_kib,fds,threads" >"$csv"
start=$(date +%s)
end=$((start + minutes * 60))
demo_log "soaking for $minutes minutes; samples in $csv"
while [ "$(date +%s)" -lt "$end" ]; do
  kill -0 "$player" 2>/dev/null || { demo_log "the player ended"; cat "$work/player.log" >&2; exit 1; }
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$player/status")
  threads=$(awk '/^Threads:/ { print $2 }' "/proc/$player/status")
  fds=$(ls "/proc/$player/fd" | wc -l)
  echo "$(($(date +%s) - start)),$rss,$fds,$threads" >>"$csv"
  sleep "$sample_seconds"
done
polls=$((minutes * 6))
awk -F, -v warm=$((warmup_minutes * 60)) -v polls="$polls" '
  function slope(lo, hi,   n, sx, sy, sxx, sxy, i) {
    for (i = 1; i <= count; ++i) if (t[i] >= lo && t[i] <= hi) {
      ++n; sx += t[i]; sy += r[i]; sxx += t[i] * t[i]; sxy += t[i] * r[i]
    }
    return n < 3 ? 0 : (n * sxy - sx * sy) / (n * sxx - sx * sx) * 3600 / 1000  # KB/s to MB/h
  }
  NR > 1 { ++count; t[count] = $1; r[count] = $2; f[count] = $3; h[count] = $4 }
  END {
    last = t[count]; mid = warm + (last - warm) / 2
    for (i = 1; i <= count && t[i] < warm; ++i) {}
    printf "about %d polls, each a new song; RSS %.1f MB after the warm-up, %.1f MB at the end\n", polls, r[i] / 1000, r[count] / 1000
    printf "slope after the warm-up: %.2f MB/h (first half %.2f, second half %.2f)\n", slope(warm, last), slope(warm, mid), slope(mid, last)
    printf "descriptors %d -> %d, threads %d -> %d\n", f[i], f[count], h[i], h[count]
  }' "$csv"
