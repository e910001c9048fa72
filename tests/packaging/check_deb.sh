#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build folder, unpacks it into a scratch
# root (dpkg -x) and starts the player there through its bin/ link, on a
# private X server with no sound device: it must find the engine that came in
# the package and open its window, not the "BASS manquant" box.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/orvelle-deb-XXXXXX)
server=0 player=0
cleanup() {
  local status=$?
  set +e
  for pid in "$player" "$server"; do
    if [ "$pid" -gt 0 ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fi
  done
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
fail() { echo "$*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(echo "$work"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
# Read from the binaries: the engine's libraries as well as the window's.
for library in libavformat libsdl2 libgtk-3 libcurl; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done

root=$work/root
dpkg -x "$deb" "$root"
home=$root/usr/lib/orvelle-player
[ -x "$home/orvelle-player" ] || fail "no player in $home"
[ -f "$home/libbass.so" ] || fail "no engine beside the player in $home"
[ "$(readlink -f "$root/usr/bin/orvelle-player")" = "$home/orvelle-player" ] ||
  fail "bin/orvelle-player does not lead to $home/orvelle-player"

# -displayfd: the server picks a free display and writes its number.
# -noreset: by default it resets when its last client leaves (the probe
# below), and a player that connects meanwhile cannot open the display.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
for _ in $(seq 100); do grep -q . "$work/display" && break; sleep 0.1; done
display=:$(head -n1 "$work/display")
[ "$display" != ":" ] || fail "Xvfb did not start"
# Told its number, a busy server may still be a moment from taking clients.
for _ in $(seq 100); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $display takes no clients"

(cd "$work" && exec env -u LD_LIBRARY_PATH DISPLAY="$display" SDL_AUDIODRIVER=dummy GDK_BACKEND=x11 \
  NO_AT_BRIDGE=1 ASAN_OPTIONS=detect_leaks=0 "$root/usr/bin/orvelle-player" >"$work/player.log" 2>&1) &
player=$!
shown() { DISPLAY=$display xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
for _ in $(seq 600); do
  shown "BASS manquant" && fail "the unpacked player did not find its engine"
  shown "Orvelle Player" && exit 0
  kill -0 "$player" 2>/dev/null || fail "the unpacked player ended: $(cat "$work/player.log")"
  sleep 0.1
done
fail "the unpacked player showed no window within 60 s"
