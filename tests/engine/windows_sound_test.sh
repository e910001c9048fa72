#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows sound player (engine_sound_play.exe) under Wine with a
# private PulseAudio whose null sink is recorded, then checks the loudest part
# of the recording: a 1 kHz tone at the player's volume (0.5 of a 0.99 sine).
# Usage: windows_sound_test.sh ENGINE_SOUND_PLAY.EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tools/demo-env.sh"
trap demo_stop_all EXIT

demo_start_pulse
recording=$DEMO_PULSE_DIR/monitor.f32
# An idle null sink runs at a 2-second latency and would starve a new
# stream: a low-latency recorder keeps it brisk.
parec --device=null.monitor --latency-msec=20 --format=float32le --rate=44100 --channels=2 --raw >"$recording" &
recorder=$!
DEMO_PIDS+=("$recorder")
sleep 2

"$root/tools/wine/run" "$1" | tee "$DEMO_PULSE_DIR/player.log"
grep -q '^played ' "$DEMO_PULSE_DIR/player.log" || { echo "FAIL: the player did not play"; exit 1; }
sleep 0.3
kill "$recorder"
wait "$recorder" 2>/dev/null || true

# One second of the tone, from just after its start (past the volume ramp).
stats=$(sox -t raw -r 44100 -e floating-point -b 32 -c 2 "$recording" -n remix 1 silence 1 0.05 2% trim 0.3 1 stat 2>&1)
peak=$(awk -F: '/^Maximum amplitude/ { print $2 + 0 }' <<<"$stats")
frequency=$(awk -F: '/^Rough +frequency/ { print $2 + 0 }' <<<"$stats")
echo "recorded: peak $peak, frequency $frequency Hz"
awk -v p="$peak" -v f="$frequency" 'BEGIN {
  ok = (p > 0.99 * 0.5 - 0.04 && p < 0.99 * 0.5 + 0.04 && f > 990 && f < 1010)
  exit !ok
}' || { echo "FAIL: expected a 1000 Hz tone at a peak of 0.495"; exit 1; }
echo "PASS"
