#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long the window's thread goes without serving its events, and how late
# its frames come, while the station's servers stall: the player
# (bench/player/stall_drive.cpp, the real shell and transfers) against the
# demo station calm and in four fault modes, each for SECONDS:
#   calm     no fault: what the machine and the window cost by themselves
#   trickle  every status page sent at 32 bytes a second
#   silent   every status page taken and never answered
#   cover    every cover picture sent at 10 bytes a second: it never finishes
#   open     the stream taken and never answered; play is pressed after 3 s
# on Linux (the bench preset) and under Wine (the 32-bit Windows build), on a
# private display and sound server.
#
# Run by hand, under the lock of the fixed ports (the station is on 18000-18002):
#   flock /work/notes/e2e.lock ./bench/player/stall.sh [linux|wine|both] [seconds]   (default both, 35)
# SCENARIOS="silent open" picks some. STALL_DRIVE=path runs another build's Linux driver (libbass.so beside it),
# STALL_DRIVE_EXE=path another build's Windows one (libbass.dll beside it): a
# before and after on the same station.
set -euo pipefail
cd "$(dirname "$0")/../.."
where=${1:-both}
seconds=${2:-35}
jobs=$(nproc)

. tools/demo-env.sh
. tools/wine/wine-env.sh
work=$(mktemp -d /tmp/orvelle-stall.XXXXXX)  # each drive's own output, kept for a look
trap 'demo_stop_all; [ -z "${WINEPREFIX:-}" ] || wine_server_stop' EXIT

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target orvelle-station >/dev/null
station=$PWD/build/bench/orvelle-station
if [ "$where" != wine ] && [ -z "${STALL_DRIVE:-}" ]; then
  cmake --build --preset bench -j "$jobs" --target stall_drive orvelle_bass >/dev/null
fi
linux_drive=${STALL_DRIVE:-$PWD/build/bench/stall_drive}
if [ "$where" != linux ] && [ -z "${STALL_DRIVE_EXE:-}" ]; then
  cmake --preset windows-i686 >/dev/null
  cmake --build --preset windows-i686 -j "$jobs" --target stall_drive orvelle_bass >/dev/null
fi
windows_drive=${STALL_DRIVE_EXE:-$PWD/build/windows-i686/stall_drive.exe}

demo_start_pulse
export SDL_AUDIODRIVER=pulseaudio
demo_start_recorder

read -r -a scenarios <<<"${SCENARIOS:-calm trickle silent cover open}"
station_options() {
  case $1 in
    calm) echo "" ;;
    trickle) echo "--trickle stats,status --trickle-rate 32" ;;
    silent) echo "--stats-fault silent --status-fault silent --stall-seconds 600" ;;
    cover) echo "--trickle picture --trickle-rate 1" ;;
    open) echo "--refuse-stream silent --stall-seconds 600" ;;
  esac
}
play_at() { [ "$1" = open ] && echo 3 || echo -1; }

# run PLATFORM SCENARIO: one drive against a fresh station; prints its line.
run() {
  local platform=$1 scenario=$2 line
  # shellcheck disable=SC2046 # the options are words on purpose
  demo_start_station "$station" --quiet --song-seconds 3600 $(station_options "$scenario")
  # A display of its own: an Xvfb that served a run before may not answer the next.
  demo_start_xvfb
  local out=$work/$platform-$scenario.log status=0
  if [ "$platform" = linux ]; then
    timeout -k 5 $((seconds + 30)) "$linux_drive" "$seconds" "$(play_at "$scenario")" >"$out" 2>&1 || status=$?
  else
    # A prefix's windows go to the display of its first window: a wineserver of this run's own.
    wine_server_stop
    wine_server_start
    (cd "$(dirname "$windows_drive")" &&
      timeout -k 5 $((seconds + 60)) wine "$(basename "$windows_drive")" "$seconds" "$(play_at "$scenario")") \
      >"$out" 2>&1 || status=$?
  fi
  echo "exit status $status" >>"$out"
  line=$(tr -d '\r' <"$out" | grep '^stall_drive:' || true)
  [ -n "$line" ] || line="stall_drive: no report (see $out)"
  kill "$DEMO_STATION_PID" "$DEMO_XVFB_PID" 2>/dev/null || true
  wait "$DEMO_STATION_PID" "$DEMO_XVFB_PID" 2>/dev/null || true
  printf '%-6s %-8s %s\n' "$platform" "$scenario" "${line#stall_drive: }"
}

if [ "$where" != wine ]; then
  for scenario in "${scenarios[@]}"; do run linux "$scenario"; done
fi
if [ "$where" != linux ]; then
  prefix=$PWD/build/windows-i686/wineprefix
  [ -f "$prefix/.orvelle-ready" ] || wine_make_prefix "$prefix"
  wine_env "$prefix"
  for scenario in "${scenarios[@]}"; do run wine "$scenario"; done
fi
echo "(each drive's own output: $work)"
