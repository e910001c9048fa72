#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a station with engine_sound_play.exe under Wine ("follow" mode) while
# the PulseAudio server that Wine's audio driver uses is killed and, a while
# later, started again on the same socket. Without any call of the program's,
# the stream must read as stalled while no server runs, and the new server's
# null sink must hold the tone within a second of its start. Then that server
# hangs (stopped): stop, free and BASS_Free must stay prompt all the same.
# Usage: windows_sound_follow_test.sh ENGINE_SOUND_PLAY.EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tools/demo-env.sh"
second_server=""
trap '[ -z "$second_server" ] || kill -CONT "$second_server" 2>/dev/null; demo_stop_all' EXIT

fail() { echo "FAIL: $*"; cat "$dir/player.log" 2>/dev/null; exit 1; }
now_ms() { date +%s%3N; }
state() { tail -n1 "$dir/states.log" 2>/dev/null | cut -d' ' -f2; }
# Waits up to $1 ms for the program to log the state $2.
wait_for_state() {
  local until=$(($(now_ms) + $1))
  while [ "$(now_ms)" -lt "$until" ]; do
    [ "$(state)" = "$2" ] && return 0
    sleep 0.02
  done
  return 1
}
# The server again, on the socket of the one killed (demo_start_pulse makes a new one).
restart_pulse() {
  HOME=$dir XDG_RUNTIME_DIR=$dir/run \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit \
      --load=module-null-sink --load=module-native-protocol-unix >"$dir/pulseaudio2.log" 2>&1 &
  second_server=$!
  DEMO_PIDS+=("$second_server")
  demo_wait_for 100 test -S "$dir/run/pulse/native"
}
# Milliseconds of the recording $1 before the tone starts, once it has.
tone_onset_ms() {
  local raw=(-t raw -r 44100 -e floating-point -b 32 -c 2 "$1")
  local all sound
  all=$(sox "${raw[@]}" -n stat 2>&1 | awk -F: '/^Length/ { print $2 * 1000 }')
  sound=$(sox "${raw[@]}" -n silence 1 0.001 20% stat 2>&1 | awk -F: '/^Length/ { print $2 * 1000 }')
  [ -n "$sound" ] && awk -v a="$all" -v s="$sound" 'BEGIN { if (s <= 0) exit 1; printf "%d\n", a > s ? a - s : 0 }'
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

restart_pulse || fail "the second sound server did not start"
back=$(now_ms)
parec --device=null.monitor --latency-msec=20 --format=float32le --rate=44100 --channels=2 --raw \
  >"$dir/after.f32" 2>/dev/null &
DEMO_PIDS+=("$!")
recorder_ms=$(($(now_ms) - back))
onset=""
for _ in $(seq 50); do
  onset=$(tone_onset_ms "$dir/after.f32") && break
  sleep 0.1
done
[ -n "$onset" ] || fail "no sound from the new server"
wait_for_state 1000 1 || fail "not playing again"
playing_ms=$(($(tail -n1 "$dir/states.log" | cut -d' ' -f4) - back))
echo "playing again $playing_ms ms after the new server took the socket; the tone in the recording \
$((recorder_ms + onset)) ms after it (the recorder started after $recorder_ms ms)"
[ "$playing_ms" -lt 1000 ] && [ $((recorder_ms + onset)) -lt 1000 ] || fail "the sound came back too late"

sleep 1
kill -STOP "$second_server"  # until the end: the program times its last calls meanwhile
wait "$player" || fail "the program failed"
cat "$dir/player.log"
grep -q '^followed ' "$dir/player.log" || fail "the program did not finish"
awk '/^followed / {
  for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[2] + 0 > 200) { print "FAIL: " kv[1] " over 200 ms"; bad = 1 } }
} END { exit bad }' "$dir/player.log"
echo "PASS"
