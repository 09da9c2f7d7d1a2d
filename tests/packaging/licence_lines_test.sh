#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the project names its licence in its first lines, so
# a file copied out of the tree still says under which terms it may be used.
#   licence_lines_test.sh SOURCE_DIR
set -eu
cd "$1"
missing=$(find . \( -path ./.git -o -path './build*' -o -path ./fuzz/regressions -o -path ./docs \) -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.h.in' -o -name '*.1.in' -o -name '*.xml.in' \
  -o -name CMakeLists.txt -o -name '*.sh' -o -name '*.desktop' -o -name '*.svg' \
  -o -path './scripts/*' -o -path ./.ci/run -o -path ./bench/run \) -print |
  while read -r file; do
    head -n 3 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' || echo "$file"
  done)
if [ -n "$missing" ]; then
  echo "These files lack the line 'SPDX-License-Identifier: GPL-3.0-or-later':" >&2
  echo "$missing" >&2
  exit 1
fi
