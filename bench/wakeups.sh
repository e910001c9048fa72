#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Counts how often each thread of a running process wakes up: its context
# switches (voluntary + involuntary, from /proc/PID/task/*/status) over a
# window, per second. A thread that blocks and is woken once counts one.
# Usage: ./bench/wakeups.sh PID [seconds]   (default 10)
# Prints one line per thread (id, name, wake-ups per second), then the total.
# A thread born during the window counts from zero; one that ended is left out.
set -euo pipefail
pid=${1:?usage: $0 PID [seconds]}
seconds=${2:-10}

snapshot() {  # "tid switches name" for every thread alive now
  local status tid name
  for status in /proc/"$pid"/task/*/status; do
    tid=${status%/status}; tid=${tid##*/}
    name=$(tr ' ' '_' <"/proc/$pid/task/$tid/comm" 2>/dev/null) || continue
    awk -v tid="$tid" -v name="$name" '
      /^voluntary_ctxt_switches:/ { v = $2 }
      /^nonvoluntary_ctxt_switches:/ { n = $2 }
      END { if (v != "") print tid, v + n, name }' "$status" 2>/dev/null || true
  done
}

[ -d "/proc/$pid" ] || { echo "wakeups: no process $pid" >&2; exit 1; }
before=$(snapshot)
sleep "$seconds"
after=$(snapshot)

awk -v seconds="$seconds" '
  NR == FNR { start[$1] = $2; next }
  {
    rate = ($2 - ($1 in start ? start[$1] : 0)) / seconds
    total += rate
    printf "%8s  %-16s %8.1f /s\n", $1, $3, rate
  }
  END { printf "%8s  %-16s %8.1f /s\n", "", "all threads", total }
' <(echo "$before") <(echo "$after")
