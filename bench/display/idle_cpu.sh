#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU use of the running player, idle (no stream) with its animation ticking,
# measured from /proc over a window of seconds in a private X server.
# Usage: bench/display/idle_cpu.sh [build-dir] [seconds]   (default: build/bench, 30)
# Build first: cmake --preset bench && cmake --build --preset bench --target orvelle-player fake_bass
set -euo pipefail
build=${1:-build/bench}
seconds=${2:-30}
work=$(mktemp -d)
. "$(dirname "$0")/../../tools/demo-env.sh"
trap 'demo_stop_all; rm -rf "$work"' EXIT

cp "$build/orvelle-player" "$work/"
cp "$build/tests/fakebass/libbass.so" "$work/"   # an audio library that initialises and plays nothing

demo_start_xvfb

"$work/orvelle-player" >/dev/null 2>&1 &
player=$!
DEMO_PIDS+=("$player")
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Orvelle Player$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2  # past start-up

ticks() { awk '{print $14 + $15}' "/proc/$player/stat"; }   # utime + stime
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "idle player: %.2f s of CPU in %d s = %.2f %% of one core\n", t / hz, s, 100 * t / hz / s }'
