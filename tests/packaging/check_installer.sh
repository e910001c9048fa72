#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer as a user meets it, under Wine, in a fresh prefix of
# its own: an older version installed silently, this one over it, the
# Start-menu shortcut and the entry of the list of installed apps, the
# installed player answering --version, then a silent uninstall that leaves
# the prefix as it found it.
# Usage: check_installer.sh BUILD VERSION
set -euo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/wine/wine-env.sh"

work=$build/installer-test
rm -rf "$work"
mkdir -p "$work"
wine_env "$work/prefix"
cleanup() { timeout -k 5 30 wineserver -k 2>/dev/null || true; }
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
older=$work/orvelle-player-0.0.1-setup-$arch.exe
makensis -NOCD -V1 -DVERSION=0.0.1 -DARCH="$arch" -DSTAGE="$build/installer-stage" -DOUTFILE="$older" \
  -DPUBLISHER=Test -DSITE_URL=http://example.org/ -DICON="$here/../../resources/orvelle-player.ico" \
  "$here/../../resources/windows/orvelle-player.nsi"
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

step "install $(basename "$installer") over it with /S"
run "$installer" /S || fail "the installer failed ($?)"
settle
home=$(cd "$drive"/users/*/AppData/Local/Programs/"Orvelle Player" && pwd) || fail "nothing in the user's programs folder"
for file in orvelle-player.exe libbass.dll LICENSE THIRD-PARTY.md LISEZMOI.txt uninstall.exe; do
  [ -f "$home/$file" ] || fail "no $file in $home"
done
echo "installed: $(cd "$home" && ls | tr '\n' ' ')"
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

step "uninstall with /S"
uninstaller=$(entry QuietUninstallString)
[[ $uninstaller == *'uninstall.exe\" /S"' ]] || fail "QuietUninstallString is $uninstaller"
run "$home/uninstall.exe" /S || fail "the uninstaller failed ($?)"
settle  # it runs on from a copy of itself in %TEMP%, which Windows clears
snapshot >"$work/after"
if ! diff "$work/before" "$work/after"; then fail "the uninstaller left the files above behind"; fi
if grep -q 'Orvelle' "$WINEPREFIX/user.reg"; then fail "the registry still names Orvelle: $(grep Orvelle "$WINEPREFIX/user.reg")"; fi
echo "nothing left behind: the prefix's files and registry are as before"
