#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a local station's stream for the same time in the player (play
# pressed, bars moving), in Audacious and in `ffplay -nodisp`, on one private
# virtual display and into one private PulseAudio null sink, and prints for
# each the CPU seconds (user + system) it used in that window and its peak
# resident memory, with the ratios to Audacious of the same round.
#
# Two streams, both 128 kbit/s MP3: a steady 440 Hz tone, which leaves most
# of the spectrum still, and a music-like one, the same tone under broadband
# noise, which moves every band of the visualizer on every frame. Each stream
# gets ROUNDS rounds (default 2); the order of the players turns from round to
# round, so that the load of a shared machine hits all of them alike.
#
# Run by hand, under the lock of the fixed ports (the station is on 18000):
#   flock /work/notes/e2e.lock ./bench/player/compare.sh [seconds] [rounds]   (default 30, 2)
# PLAYER_ENV="NAME=value ..." starts the player with those variables, to try
# toolkit settings (for instance GDK_GL=disable) without rebuilding.
# STREAMS="tone music" chooses the streams. PERF_DIR=dir records a sampling
# profile of the player over each of its windows there (perf record -g). PLAYER_BIN=path runs that build of
# the player instead of build/demo's (a libbass.so beside it); PLAYER_BEFORE=path
# adds that build as a fourth player, "player-before", for a before and after
# in one run.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
rounds=${2:-2}
streams=${STREAMS:-tone music}
settle=3  # after the start, before the window opens: connecting, first buffers

# Audacious is wanted by this comparison only, so it is installed here and
# not by scripts/install-deps.
if ! command -v audacious >/dev/null 2>&1; then
  echo "compare: installing audacious for the comparison" >&2
  sudo=; [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends audacious >/dev/null
fi

cmake --preset demo >/dev/null
cmake --build --preset demo -j 2 --target orvelle-player orvelle_bass orvelle-station >/dev/null
build=$PWD/build/demo
player_bin=${PLAYER_BIN:-$build/orvelle-player}

. tools/demo-env.sh
work=$(mktemp -d /tmp/orvelle-bench.XXXXXX)
trap 'demo_stop_all; rm -rf "$work"' EXIT

# The station loops each song's track: every track of a folder is the same
# sound, so a song change mid-window changes the cover, not the sound.
make_media() {  # DIR LAVFI_SOURCE
  mkdir -p "$1"
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$2" -ac 2 -ar 44100 -c:a libmp3lame -b:a 128k \
    -write_xing 0 -id3v2_version 0 -map_metadata -1 -f mp3 "$1/track0.mp3"
  local n
  for n in 1 2 3 4; do cp "$1/track0.mp3" "$1/track$n.mp3"; done
}
make_media "$work/media-tone" "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=20"
# White noise: every bin of the spectrum changes from one transform to the next.
make_media "$work/media-music" "aevalsrc=0.25*sin(2*PI*440*t)+0.25*(2*random(0)-1):s=44100:d=20"

# Everything private, whatever the desktop has: the same display and sink for all three.
demo_start_xvfb
demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
demo_start_recorder
url="http://127.0.0.1:18000/;stream/1"
tick=$(getconf CLK_TCK)

cpu_ticks() {  # user + system ticks of a process, all its threads
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
playing_streams() { pactl list short sink-inputs | wc -l; }

# measure LABEL PID: waits, then appends "stream round LABEL cpu_s peak_mib" over the window.
measure() {
  local label=$1 pid=$2
  sleep "$settle"
  if [ "$(playing_streams)" -lt 1 ]; then
    demo_log "$label: nothing plays into the sink"
  fi
  local before after profiler=
  if [ -n "${PERF_DIR:-}" ] && [ "$label" != audacious ] && [ "$label" != ffplay ]; then
    mkdir -p "$PERF_DIR"
    perf record -q -F 499 -g -p "$pid" -o "$PERF_DIR/$label-$stream-$round.data" -- sleep "$seconds" \
      >/dev/null 2>&1 &
    profiler=$!
  fi
  if ! before=$(cpu_ticks "$pid" 2>/dev/null) || ! { sleep "$seconds"; after=$(cpu_ticks "$pid" 2>/dev/null); }; then
    demo_log "$label ended before its window was over; not counted"
    stop "$pid"
    return 0
  fi
  [ -z "$profiler" ] || wait "$profiler" || true
  awk -v s="$stream" -v r="$round" -v l="$label" -v c=$((after - before)) -v t="$tick" -v m="$(peak_kib "$pid")" \
    'BEGIN { printf "%s %s %s %.2f %.1f\n", s, r, l, c / t, m / 1024 }' >>"$work/results"
  stop "$pid"
}

# A process that does not end on SIGTERM within 3 s is killed.
stop() {
  kill "$1" 2>/dev/null || true
  local i
  for ((i = 0; i < 30; i++)); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then
    demo_log "pid $1 ignored SIGTERM; killed"
    kill -KILL "$1" 2>/dev/null || true
  fi
  wait "$1" 2>/dev/null || true
  sleep 1
}

# The player: its window, the play button, the bars of the default mode.
run_player() { run_player_build orvelle-player "$player_bin"; }
run_player_before() { run_player_build player-before "$PLAYER_BEFORE"; }

run_player_build() {  # LABEL PATH
  # shellcheck disable=SC2086 # PLAYER_ENV is a list of words on purpose
  env ${PLAYER_ENV:-} "$2" >"$work/player.log" 2>&1 &
  local player=$!
  DEMO_PIDS+=("$player")
  if ! demo_wait_for 100 xdotool search --onlyvisible --name '^Orvelle Player$'; then
    demo_log "the player's window did not appear; its output:"
    sed 's/^/  /' "$work/player.log" >&2
    stop "$player"
    return 0
  fi
  local window
  window=$(xdotool search --onlyvisible --name '^Orvelle Player$' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" 306 $((HEIGHT - 300 + 236)) click 1
  # Half-way through, a picture of the window shows the bars at work.
  (sleep $((settle + seconds / 2)) && import -window "$window" "$build/bench-$1-$stream.png") &
  measure "$1" "$player"
}

# Audacious with a fresh configuration: its own window and default interface.
run_audacious() {
  rm -rf "$work/audacious"
  mkdir -p "$work/audacious"
  HOME=$work/audacious XDG_CONFIG_HOME=$work/audacious/.config audacious "$url" >"$work/audacious.log" 2>&1 &
  DEMO_PIDS+=("$!")
  measure audacious "$!"
}

run_ffplay() {
  ffplay -nodisp -loglevel quiet "$url" >/dev/null 2>&1 &
  DEMO_PIDS+=("$!")
  measure ffplay "$!"
}

players=(run_player run_audacious run_ffplay)
[ -z "${PLAYER_BEFORE:-}" ] || players+=(run_player_before)
for stream in $streams; do
  # One song for the whole run: the same sound, and no cover change to count.
  demo_start_station "$build/orvelle-station" --quiet --media-dir "$work/media-$stream" --song-seconds 3600
  for ((round = 1; round <= rounds; round++)); do
    # Round 1 in the order of `players`; each next round starts one further on.
    for ((i = 0; i < ${#players[@]}; i++)); do
      "${players[(i + round - 1) % ${#players[@]}]}"
    done
  done
  stop "$DEMO_STATION_PID"
done

echo "$seconds s of each stream per player and round, after $settle s to settle"
echo "(a picture of the player half-way: $build/bench-orvelle-player-STREAM.png)"
awk '
  { s[NR] = $1; r[NR] = $2; name[NR] = $3; cpu[NR] = $4; mem[NR] = $5
    if ($3 == "audacious") { ac[$1, $2] = $4; am[$1, $2] = $5; tc[$1] += $4; tm[$1] = ($5 > tm[$1] ? $5 : tm[$1]) }
    else { k = $1 " " $3; pc[k] += $4; pm[k] = ($5 > pm[k] ? $5 : pm[k]); ks[k] = $1 } }
  END {
    printf "%-6s %5s %-15s %8s %10s %10s %14s %14s\n", "stream", "round", "player", "cpu_s", "cpu_%core", "peak_mib",
      "cpu/audacious", "mem/audacious"
    for (i = 1; i <= NR; i++) {
      a = ac[s[i], r[i]]; m = am[s[i], r[i]]
      printf "%-6s %5s %-15s %8.2f %10.2f %10.1f %14.2f %14.2f\n", s[i], r[i], name[i], cpu[i],
        100 * cpu[i] / '"$seconds"', mem[i], (a > 0 ? cpu[i] / a : 0), (m > 0 ? mem[i] / m : 0)
    }
    for (k in pc) if (tc[ks[k]] > 0)
      printf "%s, all rounds: CPU %.2f of audacious, peak memory %.2f\n", k, pc[k] / tc[ks[k]], pm[k] / tm[ks[k]]
  }' "$work/results"
