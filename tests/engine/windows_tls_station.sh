#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A TLS station for the Windows tests: `openssl s_server` with the fixture's
# self-signed certificate on a free port of 127.0.0.1, answering /tls-page.
# Usage: windows_tls_station.sh start|stop FIXTURE_DIR
#   start: leaves the port in FIXTURE_DIR/tls-station.port, the pid in tls-station.pid
set -euo pipefail
dir=$2
case "$1" in
  start)
    if [ -f "$dir/tls-station.pid" ]; then kill "$(cat "$dir/tls-station.pid")" 2>/dev/null || true; fi
    rm -f "$dir/tls-station.port" "$dir/tls-station.pid" "$dir/tls-station.log"
    # -HTTP: files of the fixture folder are whole HTTP answers; tls-page has
    # a length, so that a client that trusts the certificate reads it to its end.
    printf 'HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n\r\nsecret' >"$dir/tls-page"
    # setsid: ctest waits for every process that holds the test's output open.
    (cd "$dir" && exec setsid openssl s_server -accept 127.0.0.1:0 -cert cert.pem -key key.pem -HTTP \
      </dev/null >"$dir/tls-station.log" 2>&1) &
    echo $! >"$dir/tls-station.pid"
    for _ in $(seq 100); do
      port=$(sed -n 's/^ACCEPT .*:\([0-9]*\)$/\1/p' "$dir/tls-station.log")
      if [ -n "$port" ]; then
        echo "$port" >"$dir/tls-station.port"
        echo "TLS station on 127.0.0.1:$port"
        exit 0
      fi
      sleep 0.1
    done
    echo "the TLS station did not start:" >&2
    cat "$dir/tls-station.log" >&2
    exit 1
    ;;
  stop)
    if [ -f "$dir/tls-station.pid" ]; then kill "$(cat "$dir/tls-station.pid")" 2>/dev/null || true; fi
    rm -f "$dir/tls-station.port" "$dir/tls-station.pid"
    ;;
esac
