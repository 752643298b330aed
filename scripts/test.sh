#!/usr/bin/env bash
# Builds Bytelon and runs every test headless. With --sanitize, builds and
# runs them under AddressSanitizer and UndefinedBehaviorSanitizer instead.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
build="$here/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build="$here/build-sanitize"
  options=(-DCMAKE_BUILD_TYPE=Debug -DBYTELON_SANITIZE=ON)
fi
cmake -S "$here" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2
