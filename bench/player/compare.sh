#!/usr/bin/env bash
# Plays the demo station's stream for the same time in the player (play
# pressed, bars moving), in Audacious and in `ffplay -nodisp`, one after the
# other, on one private virtual display and into one private PulseAudio null
# sink, and prints for each the CPU seconds (user + system) it used in that
# window and its peak resident memory, with the ratios to Audacious.
# Run by hand: ./bench/player/compare.sh [seconds]   (default 30)
# PLAYER_ENV="NAME=value ..." starts the player with those variables, to try
# toolkit settings (for instance GDK_GL=disable) without rebuilding.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
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

. tools/demo-env.sh
work=$(mktemp -d /tmp/orvelle-bench.XXXXXX)
trap 'demo_stop_all; rm -rf "$work"' EXIT

# Everything private, whatever the desktop has: the same display and sink for all three.
demo_start_xvfb
demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
demo_start_recorder
demo_start_station "$build/orvelle-station" --quiet
url="http://127.0.0.1:18000/;stream/1"
tick=$(getconf CLK_TCK)

cpu_ticks() {  # user + system ticks of a process, all its threads
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
playing_streams() { pactl list short sink-inputs | wc -l; }

# measure LABEL PID: waits, then prints "LABEL cpu_s peak_mib" over the window.
measure() {
  local label=$1 pid=$2
  sleep "$settle"
  if [ "$(playing_streams)" -lt 1 ]; then
    demo_log "$label: nothing plays into the sink"
  fi
  local before after
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  awk -v l="$label" -v c=$((after - before)) -v t="$tick" -v m="$(peak_kib "$pid")" \
    'BEGIN { printf "%s %.2f %.1f\n", l, c / t, m / 1024 }' >>"$work/results"
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
# shellcheck disable=SC2086 # PLAYER_ENV is a list of words on purpose
env ${PLAYER_ENV:-} "$build/orvelle-player" >"$work/player.log" 2>&1 &
player=$!
DEMO_PIDS+=("$player")
demo_wait_for 100 xdotool search --onlyvisible --name '^Orvelle Player$'
window=$(xdotool search --onlyvisible --name '^Orvelle Player$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 306 $((HEIGHT - 300 + 236)) click 1
# Half-way through, a picture of the window shows the bars at work.
(sleep $((settle + seconds / 2)) && import -window "$window" "$build/bench-player.png") &
measure orvelle-player "$player"

# Audacious with a fresh configuration: its own window and default interface.
mkdir -p "$work/audacious"
HOME=$work/audacious XDG_CONFIG_HOME=$work/audacious/.config audacious "$url" >"$work/audacious.log" 2>&1 &
DEMO_PIDS+=("$!")
measure audacious "$!"

ffplay -nodisp -loglevel quiet "$url" >/dev/null 2>&1 &
DEMO_PIDS+=("$!")
measure ffplay "$!"

echo "$seconds s of the demo stream each, after $settle s to settle"
echo "(a picture of the player half-way: $build/bench-player.png)"
awk '
  { name[NR] = $1; cpu[NR] = $2; mem[NR] = $3; if ($1 == "audacious") { ac = $2; am = $3 } }
  END {
    printf "%-15s %8s %10s %10s %14s %14s\n", "player", "cpu_s", "cpu_%core", "peak_mib", "cpu/audacious", "mem/audacious"
    for (i = 1; i <= NR; i++)
      printf "%-15s %8.2f %10.2f %10.1f %14.2f %14.2f\n", name[i], cpu[i], 100 * cpu[i] / '"$seconds"', mem[i],
        (ac > 0 ? cpu[i] / ac : 0), (am > 0 ? mem[i] / am : 0)
  }' "$work/results"
