#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a station with engine_sound_play.exe under Wine ("follow" mode) while
# the PulseAudio server that Wine's audio driver uses is killed and, a while
# later, started again on the same socket. Without any call of the program's,
# the stream must read as stalled while no server runs, play again within a
# second of the new server's start and be heard from its null sink. Then that
# server hangs (stopped): stop, free and BASS_Free must stay prompt all the same.
# Usage: windows_sound_follow_test.sh ENGINE_SOUND_PLAY.EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tools/demo-env.sh"
second_server=""
trap '[ -z "$second_server" ] || kill -CONT "$second_server" 2>/dev/null; demo_stop_all' EXIT

fail() { echo "FAIL: $*"; cat "$dir/player.log" 2>/dev/null; exit 1; }
now_ms() { date +%s%3N; }
# The program's log: "state S at UNIX_MS" at each change.
state() { tail -n1 "$dir/states.log" 2>/dev/null | cut -d' ' -f2; }
wait_for_state() {  # MS STATE
  local until=$(($(now_ms) + $1))
  until [ "$(state)" = "$2" ]; do
    [ "$(now_ms)" -lt "$until" ] || return 1
    sleep 0.02
  done
}

demo_start_pulse
dir=$DEMO_PULSE_DIR
"$root/tools/wine/run" "$1" follow "$dir/states.log" 10 >"$dir/player.log" 2>&1 &
player=$!
DEMO_PIDS+=("$player")
wait_for_state 60000 1 || fail "the station never played"
sleep 1

{ kill -KILL "$DEMO_PULSE_PID" && wait "$DEMO_PULSE_PID"; } 2>/dev/null || true
rm -f "$dir/run/pulse/native"  # the next server's socket is the one awaited
wait_for_state 1000 2 || fail "not stalled within 1 s of the sound server's end (state $(state))"
sleep 1.5
[ "$(state)" = 2 ] || fail "not stalled while no sound server runs"

# The same socket again (demo_start_pulse would make another).
HOME=$dir XDG_RUNTIME_DIR=$dir/run pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit \
  --load=module-null-sink --load=module-native-protocol-unix >"$dir/pulseaudio2.log" 2>&1 &
second_server=$!
DEMO_PIDS+=("$second_server")
demo_wait_for 100 test -S "$dir/run/pulse/native" || fail "the second sound server did not start"
back=$(now_ms)
parec --device=null.monitor --latency-msec=20 --format=float32le --rate=44100 --channels=2 --raw \
  >"$dir/after.f32" 2>/dev/null &
DEMO_PIDS+=("$!")
wait_for_state 1000 1 || fail "not playing again within 1 s of the new server's start"
echo "playing again $(($(tail -n1 "$dir/states.log" | cut -d' ' -f4) - back)) ms after the new server took the socket"
heard() {
  sox -t raw -r 44100 -e floating-point -b 32 -c 2 "$dir/after.f32" -n stat 2>&1 |
    awk -F: '/^Maximum amplitude/ { exit !($2 > 0.3) }'
}
demo_wait_for 50 heard || fail "no sound from the new server"

sleep 1
kill -STOP "$second_server"  # until the end: the program times its last calls meanwhile
wait "$player" || fail "the program failed"
cat "$dir/player.log"
grep -q '^followed ' "$dir/player.log" || fail "the program did not finish"
awk '/^followed / {
  for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[2] + 0 > 200) { print "FAIL: " kv[1] " over 200 ms"; bad = 1 } }
} END { exit bad }' "$dir/player.log"
echo "PASS"
