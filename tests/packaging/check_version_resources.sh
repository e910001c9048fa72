#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The version resources of the Windows files, read back from the built
# files by windres, the way Windows shows them in a file's properties.
# Usage: check_version_resources.sh WINDRES VERSION FILE...
set -uo pipefail
windres=$1 version=$2
shift 2
IFS=. read -r major minor patch <<<"$version"
failures=0
for file in "$@"; do
  name=$(basename "$file")
  rc=$("$windres" -i "$file" -O rc 2>&1 | sed -n '/VERSIONINFO/,/^END/p')
  for want in \
    "FILEVERSION $major, $minor, $patch, 0" \
    "PRODUCTVERSION $major, $minor, $patch, 0" \
    "VALUE \"ProductName\", \"Orvelle Player\"" \
    "VALUE \"ProductVersion\", \"$version\"" \
    "VALUE \"FileVersion\", \"$version\"" \
    "VALUE \"OriginalFilename\", \"$name\"" \
    "VALUE \"FileDescription\", \"[^\"]" \
    "VALUE \"LegalCopyright\", L\?\".*GPL-3.0-or-later\""; do
    if ! grep -q -- "$want" <<<"$rc"; then
      echo "$name: its version resource lacks /$want/" >&2
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" -eq 0 ] || { echo "$failures missing"; exit 1; }
echo "$# files, every version field found"
