#!/usr/bin/env bash
# Builds Bytelon and runs every test headless. With --sanitize, builds them
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer, with the
# fuzz targets, and runs them (the fuzz targets replay their corpora).
# --build-only stops after building (scripts/soak.sh uses the sanitizer build).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
sanitize=0
run=1
for argument in "$@"; do
  case "$argument" in
    --sanitize) sanitize=1 ;;
    --build-only) run=0 ;;
    *) echo "usage: $0 [--sanitize] [--build-only]" >&2; exit 2 ;;
  esac
done
build="$here/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ $sanitize -eq 1 ]; then
  "$here/scripts/deps.sh" --fuzz
  build="$here/build-sanitize"
  options=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DBYTELON_FUZZ=ON)
  # A folder configured for another compiler cannot be switched over.
  if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++' "$build/CMakeCache.txt"; then
    rm -rf "$build"
  fi
else
  "$here/scripts/deps.sh"
fi
cmake -S "$here" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build"
[ $run -eq 1 ] || exit 0
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2
