# SPDX-License-Identifier: GPL-3.0-or-later
# Pieces of a private environment for the player: a virtual display, a
# private sound server with a null sink, and the demo station. Sourced by
# scripts/run and the benchmark scripts (the C++ tests have the same pieces
# in tests/support/processes.h); every function records the process it
# starts, and demo_stop_all ends exactly those.
#
#   demo_start_xvfb                 sets DISPLAY, DEMO_XVFB_PID
#   demo_start_pulse                sets PULSE_SERVER, DEMO_PULSE_PID, DEMO_PULSE_DIR
#   demo_start_recorder [FILE]      records the null sink (raw float stereo) into FILE, or nowhere
#   demo_start_station BIN [ARGS]   sets DEMO_STATION_PID, DEMO_STATION_LOG, DEMO_STATION_PORTS
#   demo_start_screenshots FILE S   a screenshot of the display every S seconds
#   demo_stop_all                   stops whatever the above started

DEMO_PIDS=()

demo_log() { echo "demo: $*" >&2; }

# Waits up to $1 tenths of a second for the command that follows to succeed.
demo_wait_for() {
  local tenths=$1
  shift
  local i
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

demo_start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/orvelle-xvfb.XXXXXX)
  mkfifo "$fifo"
  # -displayfd lets Xvfb pick a free display and tell us which.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  DEMO_XVFB_PID=$!
  DEMO_PIDS+=("$DEMO_XVFB_PID")
  local display=""
  read -r -t 10 display <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$display" ]; then
    demo_log "the virtual display did not start"
    return 1
  fi
  export DISPLAY=":$display"
}

demo_start_pulse() {
  DEMO_PULSE_DIR=$(mktemp -d /tmp/orvelle-pulse.XXXXXX)
  mkdir -p "$DEMO_PULSE_DIR/run"
  chmod 700 "$DEMO_PULSE_DIR/run"
  HOME=$DEMO_PULSE_DIR XDG_RUNTIME_DIR=$DEMO_PULSE_DIR/run \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit \
      --load=module-null-sink --load=module-native-protocol-unix \
      >"$DEMO_PULSE_DIR/pulseaudio.log" 2>&1 &
  DEMO_PULSE_PID=$!
  DEMO_PIDS+=("$DEMO_PULSE_PID")
  export PULSE_SERVER="unix:$DEMO_PULSE_DIR/run/pulse/native"
  if ! demo_wait_for 100 pactl info; then
    demo_log "the private sound server did not start (see $DEMO_PULSE_DIR/pulseaudio.log)"
    return 1
  fi
}

# An idle null sink runs at a 2-second latency and starves a new stream; a
# low-latency recorder on its monitor keeps it brisk. It needs a moment
# (a second or two) before anything plays.
demo_start_recorder() {
  local file=${1:-/dev/null}
  parec --device=null.monitor --latency-msec=20 --format=float32le --rate=44100 --channels=2 --raw \
    >"$file" 2>/dev/null &
  DEMO_PIDS+=("$!")
}

# True when a sound server already answers (ours or the desktop's).
demo_have_sound_server() { pactl info >/dev/null 2>&1; }

demo_start_station() {
  local bin=$1
  shift
  DEMO_STATION_LOG=$(mktemp /tmp/orvelle-station.XXXXXX.log)
  "$bin" --die-with-parent "$@" >"$DEMO_STATION_LOG" 2>&1 &
  DEMO_STATION_PID=$!
  DEMO_PIDS+=("$DEMO_STATION_PID")
  if ! demo_wait_for 100 grep -q '^ports ' "$DEMO_STATION_LOG"; then
    demo_log "the demo station did not start:"
    sed 's/^/  /' "$DEMO_STATION_LOG" >&2
    return 1
  fi
  DEMO_STATION_PORTS=$(grep -m1 '^ports ' "$DEMO_STATION_LOG" | cut -d' ' -f2-)
}

demo_start_screenshots() {
  local file=$1 seconds=${2:-5}
  (
    while sleep "$seconds"; do
      import -display "$DISPLAY" -window root "$file.tmp.png" 2>/dev/null && mv -f "$file.tmp.png" "$file"
    done
  ) &
  DEMO_PIDS+=("$!")
}

demo_stop_all() {
  local pid
  for pid in "${DEMO_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${DEMO_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  DEMO_PIDS=()
  if [ -n "${DEMO_PULSE_DIR:-}" ]; then
    rm -rf "$DEMO_PULSE_DIR"
    DEMO_PULSE_DIR=
  fi
}
