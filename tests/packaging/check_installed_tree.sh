#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch root as a distribution does (prefix /usr)
# and holds it against the desktop's own validators: the desktop entry, the
# AppStream metadata together with the entry it launches, and an icon of every
# size the theme looks for, under the name the entry gives.
set -euo pipefail
build=$1
root=$(mktemp -d /tmp/orvelle-install-XXXXXX)
trap 'rm -rf "$root"' EXIT

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
share=$root/usr/share
desktop=$share/applications/orvelle-player.desktop

# Its exit code stays 0 for hints and even for some errors: any word counts.
complaints=$(desktop-file-validate "$desktop" 2>&1) || true
if [ -n "$complaints" ]; then
  echo "$complaints" >&2
  exit 1
fi
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$root/usr"

icon=$(sed -n 's/^Icon=//p' "$desktop")
status=0
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  kind=$(file -b "$png" 2>&1) || true
  if [[ $kind != "PNG image data, $size x $size, "* ]]; then
    echo "icon $icon at $size px: $kind" >&2
    status=1
  fi
done
svg=$share/icons/hicolor/scalable/apps/$icon.svg
kind=$(file -b "$svg" 2>&1) || true
if [[ $kind != *SVG* ]]; then
  echo "scalable icon $icon: $kind" >&2
  status=1
fi
exit $status
