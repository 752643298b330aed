#!/usr/bin/env bash
# Remakes the README's pictures (res/screenshots/) from the program itself,
# running offscreen: no display needed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --target bytelon_screenshots
mkdir -p "$here/res/screenshots"
QT_QPA_PLATFORM=offscreen QT_QPA_FONTDIR=/usr/share/fonts/truetype \
  "$here/build/tests/bytelon_screenshots" "$here/res/screenshots"
ls -l "$here/res/screenshots"
