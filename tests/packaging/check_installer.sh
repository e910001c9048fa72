#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer as a user meets it, under Wine, in a fresh prefix of
# its own: an older version installed silently, this one over it, the
# Start-menu shortcut and the entry of the list of installed apps, the
# installed player answering --version; while it runs (on a private X server
# and sound server), neither an install nor an uninstall touches it; then a
# silent uninstall that leaves the prefix as it found it.
# Usage: check_installer.sh BUILD VERSION
set -euo pipefail
build=$(cd "$1" && pwd) version=$2  # Wine takes absolute prefixes only
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/wine/wine-env.sh"
. "$here/../../tools/demo-env.sh"

work=$build/installer-test
rm -rf "$work"
mkdir -p "$work"
wine_env "$work/prefix"
cleanup() {
  timeout -k 5 30 wineserver -k 2>/dev/null || true
  demo_stop_all
}
trap cleanup EXIT
fail() { echo "installer: $*" >&2; exit 1; }
step() { echo "== $*"; }
run() { timeout -k 5 120 wine "$@"; }
# Every process of the prefix ended and the registry written to its files.
settle() { timeout -k 5 60 wineserver -w; }

step "the installer (makensis), and an older version of it from the same folder"
cmake --build "$build" --target orvelle_installer >/dev/null
installer=$(echo "$build"/packages/orvelle-player-"$version"-setup-win*.exe)
[ -f "$installer" ] || fail "no $installer"
arch=${installer##*-setup-}
arch=${arch%.exe}
# The older version ships one file more (a file a later version dropped) and
# a program that differs: an upgrade must replace the one and remove the other.
older=$work/orvelle-player-0.0.1-setup-$arch.exe
mkdir -p "$work/older"
cp -r "$build/installer-stage" "$work/older/stage"
echo "retiré depuis" >"$work/older/stage/ANCIEN.txt"
printf 'older' >>"$work/older/stage/orvelle-player.exe"
sed 's|^\(  !insertmacro ${ACTION} "LISEZMOI.txt"\)$|\1\n  !insertmacro ${ACTION} "ANCIEN.txt"|' \
  "$here/../../resources/windows/orvelle-player.nsi" >"$work/older/older.nsi"
grep -q 'ANCIEN.txt' "$work/older/older.nsi" || fail "could not add a file to the older installer's list"
makensis -NOCD -V1 -DVERSION=0.0.1 -DARCH="$arch" -DSTAGE="$work/older/stage" -DOUTFILE="$older" \
  -DPUBLISHER=Test -DSITE_URL=http://example.org/ -DICON="$here/../../resources/orvelle-player.ico" \
  "$work/older/older.nsi"
echo "$(basename "$installer"): $(stat -c %s "$installer") bytes"

step "a fresh prefix"
export HOME=$work/home  # after the build, whose caches are the caller's
mkdir -p "$HOME"
wine_make_prefix "$WINEPREFIX" || fail "no prefix"
# No desktop entries in the host's menus for the shortcut (winemenubuilder),
# nor anything in the caller's home.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
drive=$WINEPREFIX/drive_c
snapshot() { (cd "$drive" && find . | grep -v '/Temp/' | sort); }
snapshot >"$work/before"
key='Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\OrvellePlayer'
# A value of the uninstall entry, read from the prefix's registry file.
entry() {
  awk -v key="[$key]" -v name="\"$1\"" '
    index($0, key) == 1 { inside = 1; next }
    /^\[/ { inside = 0 }
    inside && index($0, name "=") == 1 { sub(/^[^=]*=/, ""); print }' "$WINEPREFIX/user.reg"
}

step "install $(basename "$older") with /S"
run "$older" /S || fail "the older installer failed ($?)"
settle
[ "$(entry DisplayVersion)" = '"0.0.1"' ] || fail "after the older install, DisplayVersion is $(entry DisplayVersion)"
[ -f "$drive"/users/*/AppData/Local/Programs/"Orvelle Player"/ANCIEN.txt ] || fail "the older version's own file is missing"

step "install $(basename "$installer") over it with /S"
run "$installer" /S || fail "the installer failed ($?)"
settle
home=$(cd "$drive"/users/*/AppData/Local/Programs/"Orvelle Player" && pwd) || fail "nothing in the user's programs folder"
for file in orvelle-player.exe libbass.dll LICENSE THIRD-PARTY.md LISEZMOI.txt uninstall.exe; do
  [ -f "$home/$file" ] || fail "no $file in $home"
done
echo "installed: $(cd "$home" && ls | tr '\n' ' ')"
[ ! -e "$home/ANCIEN.txt" ] || fail "the older version's ANCIEN.txt is still there"
cmp -s "$home/orvelle-player.exe" "$build/installer-stage/orvelle-player.exe" || fail "the older program was not replaced"
for value in 'DisplayName="Orvelle Player"' "DisplayVersion=\"$version\"" 'Publisher="Radio Orvelle"'; do
  [ "$(entry "${value%%=*}")" = "${value#*=}" ] || fail "the entry's ${value%%=*} is $(entry "${value%%=*}")"
done
for name in DisplayIcon UninstallString QuietUninstallString InstallLocation; do
  [[ $(entry "$name") == *'Orvelle Player'* ]] || fail "the entry's $name is '$(entry "$name")'"
done
[ "$(grep -c "^\[$key\]" "$WINEPREFIX/user.reg")" -eq 1 ] || fail "not exactly one uninstall entry"
echo "apps list: $(entry DisplayName) $(entry DisplayVersion), $(entry Publisher), $(entry EstimatedSize)"
shortcut=$(echo "$drive"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs/"Orvelle Player.lnk")
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
target=$(strings "$shortcut" | grep -i '^C:\\.*\\orvelle-player\.exe$' | head -n1)
[[ $target == *'\Orvelle Player\orvelle-player.exe' ]] || fail "the shortcut leads to '$target'"
echo "shortcut: $target"
target=$drive/$(echo "${target#C:\\}" | tr '\\' /)
[ "$target" -ef "$home/orvelle-player.exe" ] || fail "the shortcut's target is not the installed player"

step "the shortcut's target: --version"
answer=$(run "$target" --version) || fail "--version ended with $?"
[[ $answer == "Orvelle Player $version"* ]] || fail "--version said: $answer"
echo "$answer" | head -n1

step "while the player runs: an install and an uninstall both refuse, and change nothing"
# The prefix's windows go to the display of its first Wine processes, which
# had none: a new wineserver for the ones that follow.
timeout -k 5 30 wineserver -k 2>/dev/null || true
demo_start_xvfb
demo_start_pulse
timeout -k 5 240 wine "$target" >"$work/player.log" 2>&1 &
player=$!
started=$SECONDS
# A cold wineserver brings up its desktop before the player's window:
# generous, for a busy shared machine (30 s has been seen to fall short).
window_or_end() { xdotool search --name '^Orvelle Player$' || ! kill -0 "$player"; }
demo_wait_for 900 window_or_end || true
if ! kill -0 "$player" 2>/dev/null; then
  rc=0 && wait "$player" || rc=$?
  tail -n 20 "$work/player.log" >&2
  fail "the installed player ended ($rc) before it showed a window"
fi
xdotool search --name '^Orvelle Player$' >/dev/null || fail "the installed player showed no window in $((SECONDS - started)) s"
echo "its window is up after $((SECONDS - started)) s"
state() { (cd "$home" && md5sum -- *); }
state >"$work/running-before"
rc=0 && run "$installer" /S || rc=$?
[ "$rc" -eq 2 ] || fail "the installer ended with $rc over a running player, not 2 (aborted)"
# The uninstaller hands over to its copy in %TEMP% and returns: the copy's
# end is waited for by its name (wineserver -w would wait for the player).
run "$home/uninstall.exe" /S || fail "the uninstaller did not start ($?)"
demo_wait_for 600 eval '! pgrep -f "[~]nsu.*[.]tmp"' || fail "the uninstaller's copy did not end"
state | diff "$work/running-before" - || fail "the files above changed under the running player"
echo "installer: aborted (2); uninstaller: stopped; nothing changed"
kill "$player"
wait "$player" 2>/dev/null || true
settle

step "uninstall with /S"
uninstaller=$(entry QuietUninstallString)
[[ $uninstaller == *'uninstall.exe\" /S"' ]] || fail "QuietUninstallString is $uninstaller"
run "$home/uninstall.exe" /S || fail "the uninstaller failed ($?)"
settle  # it runs on from a copy of itself in %TEMP%, which Windows clears
snapshot >"$work/after"
if ! diff "$work/before" "$work/after"; then fail "the uninstaller left the files above behind"; fi
if grep -q 'Orvelle' "$WINEPREFIX/user.reg"; then fail "the registry still names Orvelle: $(grep Orvelle "$WINEPREFIX/user.reg")"; fi
echo "nothing left behind: the prefix's files and registry are as before"
