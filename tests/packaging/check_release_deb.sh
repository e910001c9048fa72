#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as it is released: a release build for an example
# station (build/release-check), packed by cpack and held against lintian,
# hardening-check and both AppStream validators, then unpacked and run.
# First, every release preset must refuse to configure with the demo
# station's addresses. Run by scripts/test after the test preset's tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
source=$PWD
build=$source/build/release-check
work=$(mktemp -d /tmp/orvelle-release-check-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "release check: $*" >&2; exit 1; }
step() { echo "== $*"; }

step "release presets without the station's addresses"
for preset in release windows-i686-release windows-x86_64-release; do
  if cmake --preset "$preset" -B "$work/refused-$preset" >"$work/refused.log" 2>&1; then
    fail "$preset configured with the demo addresses"
  fi
  grep -q "needs the station's own addresses" "$work/refused.log" || { cat "$work/refused.log"; fail "$preset: no clear message"; }
  grep -qF 'ORVELLE_STREAM_URL (http://127.0.0.1:18000/;stream/1)' "$work/refused.log" ||
    { cat "$work/refused.log"; fail "$preset: the demo stream's address is not named whole"; }
  echo "$preset: refused"
done

step "a release build for an example station"
cmake --preset release -B "$build" \
  -DORVELLE_STREAM_URL="http://stream.example.org:8000/;stream/1" \
  -DORVELLE_SITE_URL=http://www.example.org/ \
  -DORVELLE_PODCAST_URL=https://podcasts.example.net/orvelle/ \
  -DORVELLE_TOP30_URL=http://www.example.org/top30.htm \
  -DORVELLE_FORUM_URL=https://forum.example.net/orvelle/ \
  -DORVELLE_HOMEPAGE_URL=https://www.example.org/ >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(echo "$work"/out/*.deb)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

step "lintian"
# Errors and warnings fail; overridden ones (O:) are shown with the reasons
# the package gives, as are the informational tags. With --show-overrides
# lintian's exit code counts the overridden ones too, so its report is read.
status=0
lintian --display-info --show-overrides "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "lintian did not run ($status)"
if grep -q '^[EW]: ' "$work/lintian.log"; then fail "lintian found errors or warnings"; fi
echo "lintian: no error, no warning that is not overridden"

root=$work/root
dpkg-deb -x "$deb" "$root"
home=$root/usr/lib/orvelle-player

step "hardening-check"
# Not control-flow protection: no program linked on Debian 12 can have it
# (its C start files carry no CET marks; cmake/Hardening.cmake). The engine's
# only fortifiable calls (memcpy, memmove, memset) copy into buffers whose
# size is known at run time only: built with _FORTIFY_SOURCE, it has nothing
# for it to rewrite.
hardening-check --nocfprotection "$home/orvelle-player" || fail "hardening-check: the player"
hardening-check --nocfprotection --nofortify "$home/libbass.so" || fail "hardening-check: the engine"

step "AppStream metadata"
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
# Tests never reach the internet: the screenshot's address is not fetched.
appstreamcli validate --strict --no-net "$metainfo" || fail "appstreamcli validate"
appstream-util validate-strict --nonet "$metainfo" || fail "appstream-util validate-strict"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')\"" "$metainfo" ||
  fail "the AppStream release is not the package's version"

step "no demo address in the package"
if grep -rl -a -e '127\.0\.0\.1' -e 'localhost' "$root"; then fail "the files above name the demo station"; fi
echo "none"

step "the unpacked player's command line"
bash "$source/tests/packaging/check_command_line.sh" "$root/usr/bin/orvelle-player" \
  "$(sed -n 's/^project(OrvellePlayer VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")"
