#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The player's command line, answered before anything is set up: with no
# display and no sound server it still answers at once, and a refused
# argument is one line on stderr with exit code 2.
# Usage: check_command_line.sh PLAYER VERSION
set -uo pipefail
player=$1 version=$2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failures=0

# arguments | exit code | a line stdout must hold | a line stderr must hold
cases=(
  "--version|0|^Orvelle Player $version\$|"
  "-V|0|^Orvelle Player $version\$|"
  "--help|0|^Usage : orvelle-player|"
  "-h --version|0|^Usage : orvelle-player|"
  "--bogus|2||^orvelle-player : option inconnue « --bogus » .*--help\$"
  "--version --bogus|2||option inconnue « --bogus »"
  "station.m3u|2||^orvelle-player : argument inattendu « station.m3u »"
  # Typed or pasted: no control sequence reaches the terminal, no endless line.
  "--$(printf '\033')[2J|2||option inconnue « --\?\[2J »"
  "--$(printf 'x%.0s' {1..5000})|2||option inconnue « --x+… »"
)
for case in "${cases[@]}"; do
  IFS='|' read -r args code want_out want_err <<<"$case"
  # shellcheck disable=SC2086 # the arguments are split on purpose
  timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY PULSE_SERVER=unix:/nonexistent ASAN_OPTIONS=detect_leaks=0 \
    "$player" $args >"$out" 2>"$err"
  rc=$?
  problem=
  [ "$rc" -eq "$code" ] || problem="exit code $rc, not $code"
  [ -z "$want_out" ] || grep -Eq -- "$want_out" "$out" || problem+=" stdout lacks /$want_out/"
  [ -z "$want_err" ] || grep -Eq -- "$want_err" "$err" || problem+=" stderr lacks /$want_err/"
  [ -n "$want_out" ] || [ ! -s "$out" ] || problem+=" stdout not empty"
  if [ "$code" -ne 0 ]; then
    [ "$(wc -l <"$err")" -eq 1 ] || problem+=" stderr is not one line"
    [ "$(wc -c <"$err")" -le 200 ] || problem+=" stderr is over 200 bytes"
    ! LC_ALL=C grep -q '[[:cntrl:]]' <(tr -d '\n' <"$err") || problem+=" stderr holds control characters"
  fi
  if [ -n "$problem" ]; then
    echo "orvelle-player $args:$problem" >&2
    sed 's/^/  stdout: /' "$out" >&2
    sed 's/^/  stderr: /' "$err" >&2
    failures=$((failures + 1))
  fi
done
echo "${#cases[@]} command lines, $failures failed"
[ "$failures" -eq 0 ]
