#!/usr/bin/env bash
# Builds Bytelon and starts it, optionally on a file: scripts/run.sh [file]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --target bytelon
exec "$here/build/bytelon" "$@"
