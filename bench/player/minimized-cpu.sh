#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the player costs while its window cannot be seen: CPU (user + system,
# from /proc) over SECONDS (20) with the window shown, then minimized, first
# idle, then playing the demo station. On Linux "minimized" is the window
# unmapped, as a window manager leaves a minimized window (Xvfb has none to
# ask); under Wine the window is minimized from inside the prefix
# (wine_probe), and the prefix's wineserver, which every Win32 call of the
# player goes through, is measured beside the program.
# Run by hand, not in CI:
#   ./bench/player/minimized-cpu.sh [seconds]                        the Linux player (demo preset)
#   ./bench/player/minimized-cpu.sh --windows [i686|x86_64] [seconds]   the Windows player under Wine
set -euo pipefail
cd "$(dirname "$0")/../.."
windows_arch=
if [ "${1:-}" = --windows ]; then
  windows_arch=${2:-i686}
  shift 2 || shift
fi
seconds=${1:-20}

cmake --preset demo >/dev/null
cmake --build --preset demo -j 2 --target orvelle-station >/dev/null
if [ -n "$windows_arch" ]; then
  preset=windows-$windows_arch
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j 2 --target orvelle-player orvelle_bass wine_probe >/dev/null
else
  cmake --build --preset demo -j 2 --target orvelle-player orvelle_bass >/dev/null
fi

. tools/demo-env.sh
trap demo_stop_all EXIT
demo_start_xvfb
demo_start_pulse
demo_start_recorder
demo_start_station "$PWD/build/demo/orvelle-station" --quiet

if [ -n "$windows_arch" ]; then
  . tools/wine/wine-env.sh
  prefix=$PWD/build/$preset/wineprefix
  wine_env "$prefix"
  [ -f "$prefix/.orvelle-ready" ] || wine_make_prefix "$prefix"
  trap 'wine_server_stop; demo_stop_all' EXIT
  wine_server_start
  wine "$PWD/build/$preset/orvelle-player.exe" >/dev/null 2>&1 &
else
  "$PWD/build/demo/orvelle-player" >/dev/null 2>&1 &
fi
DEMO_PIDS+=("$!")
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Orvelle Player$' | head -n1)
# The process that owns the window: under Wine the program, not the loader started above.
player=$(xdotool getwindowpid "$window")
# The wineserver of this prefix: its folder is named after the prefix's device and inode.
server=
if [ -n "$windows_arch" ]; then
  folder=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix"))
  for pid in $(pgrep -x 'wineserver|wineserver64'); do
    case "$(readlink "/proc/$pid/cwd")" in */"$folder") server=$pid ;; esac
  done
fi

# Clock ticks of user and system time of a process so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Percent of one core over the window, for the player and the wineserver.
measure() {
  local label=$1 p0 s0=0 p1 s1=0 hz
  hz=$(getconf CLK_TCK)
  sleep 3  # settle after the change
  p0=$(ticks "$player")
  [ -z "$server" ] || s0=$(ticks "$server")
  sleep "$seconds"
  p1=$(ticks "$player")
  [ -z "$server" ] || s1=$(ticks "$server")
  awk -v l="$label" -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" -v w="$server" 'BEGIN {
    printf "%-20s player %5.1f %% of a core", l, 100 * p / hz / t
    if (w != "") printf ", wineserver %5.1f %%", 100 * s / hz / t
    printf "\n" }'
}
hide() {
  if [ -n "$windows_arch" ]; then
    [ "$(wine "$PWD/build/$preset/wine_probe.exe" minimize "Orvelle Player")" = iconic ] ||
      demo_log "the window did not minimize"
  else
    xdotool windowunmap --sync "$window"
    xwininfo -id "$window" | grep -q 'Map State: IsUnMapped' || demo_log "the window did not unmap"
  fi
}
show() {
  if [ -n "$windows_arch" ]; then
    wine "$PWD/build/$preset/wine_probe.exe" restore "Orvelle Player" >/dev/null
  else
    xdotool windowmap --sync "$window"
  fi
}

sleep 5  # the first poll, the cover
measure "idle, shown"
hide
measure "idle, minimized"
show
# The play button, centred at (306, 236) of the 800 by 300 surface at the
# window's bottom (the menu bar above it).
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 306 $((HEIGHT - 300 + 236)) click 1
if ! demo_wait_for 100 sh -c '[ "$(pactl list short sink-inputs | wc -l)" -gt 0 ]'; then
  demo_log "the player does not play: no stream reached the sound server"
  exit 1
fi
measure "playing, shown"
hide
measure "playing, minimized"
