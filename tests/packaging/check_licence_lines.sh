#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file names its licence in an SPDX line near its top (after a
# shebang or an XML declaration): C and C++, CMake, shell scripts, and the
# resource formats that allow a comment. Files added later are held to it too.
set -euo pipefail
cd "$1"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files() { git ls-files --cached --others --exclude-standard; }
else
  files() { find . -path ./build -prune -o -type f -print | sed 's|^\./||'; }
fi

missing=0 checked=0
while IFS= read -r file; do
  [ -f "$file" ] || continue
  case "$file" in
    *.c | *.cpp | *.h | *.h.in | *.cmake | */CMakeLists.txt | CMakeLists.txt | *.sh | *.rc | *.rc.in | *.def | \
      *.desktop | *.manifest | *.nsi | *.xml | *.xml.in | *.1 | *.1.in | *.lintian-overrides) ;;
    *) head -c 2 "$file" | grep -q '^#!' || continue ;;  # any other script
  esac
  checked=$((checked + 1))
  if ! head -n 3 "$file" | grep -q 'SPDX-License-Identifier: [A-Za-z0-9.+-]'; then
    echo "no SPDX-License-Identifier line at the top of $file" >&2
    missing=$((missing + 1))
  fi
done < <(files)
echo "$checked files checked, $missing without a licence line"
[ "$checked" -gt 0 ] && [ "$missing" -eq 0 ]
