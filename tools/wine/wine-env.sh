# SPDX-License-Identifier: GPL-3.0-or-later
# The Wine side of the Windows tests, sourced by tools/wine/run and
# scripts/test-windows. Every Wine process runs under a time limit, in a prefix
# of the build folder made for the test run:
#   wine_env PREFIX               exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES
#   wine_make_prefix PREFIX [stock]  a fresh prefix: crash dialogs off, fonts for GDI+
#                                 ("stock": Wine's own fonts, as a Windows without "Segoe UI")
#   wine_server_start / _stop     one wineserver kept for the run, ended for this prefix only

WINE_TIMEOUT_S=${WINE_TIMEOUT_S:-300}

wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  # No Mono or Gecko download prompts: the tests need neither .NET nor HTML.
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

wine_make_prefix() {
  wine_env "$1"
  # A server left of an earlier prefix at this path would be met again by
  # the new one, should it get the old folder's inode (which names a
  # prefix's server): ended first.
  [ ! -d "$WINEPREFIX" ] || wine_server_stop
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  local log=$WINEPREFIX/orvelle-boot.log
  timeout -k 5 120 wineboot -i >"$log" 2>&1
  # An unhandled exception would start winedbg, whose dialog waits forever:
  # print the backtrace and end instead.
  timeout -k 5 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # A fresh prefix has no "Segoe UI", and GDI+ refuses to substitute it
  # itself: the player then draws in a face of its own choosing, which the
  # stock prefix's tests see; the others draw the pictures they compare in
  # one known face.
  if [ "${2:-}" != stock ]; then
    timeout -k 5 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /t REG_SZ /d 'DejaVu Sans' /f >/dev/null 2>&1
  fi
  timeout -k 5 60 wineserver -w
  if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
    echo "wine: the prefix $WINEPREFIX was not made; wineboot said:" >&2
    tail -n 20 "$log" >&2
    return 1
  fi
  touch "$WINEPREFIX/.orvelle-ready"
}

wine_server_start() {
  # -p: stays up between programs (a cold start costs seconds each time).
  timeout -k 5 30 wineserver -p
}

wine_server_stop() {
  timeout -k 5 30 wineserver -k 2>/dev/null || true
}
