#!/usr/bin/env bash
# The soak's verdict, on stand-ins for the fuzz targets and drivers: clean
# when every run passes; a finding naming the failing command line when a
# run crashes, fails without naming a seed, or a suite cannot list its
# functions.
#
#   tests/soak/soak-findings.sh path/to/soak.sh
set -euo pipefail
soak=${1:?usage: $0 path/to/soak.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A stand-in that, given "-functions", lists one driver, and otherwise does
# what its case says.
stand_in() {  # path, what a run does, what listing does
  printf '#!/bin/sh\nif [ "$1" = -functions ]; then %s; fi\n%s\n' "$3" "$2" >"$1"
  chmod +x "$1"
}
passes='echo "stat::number_of_executed_units: 5"; exit 0'
lists='echo "randomStandIn()"; exit 0'

# A tree of its own for each case: the script under test, a build step that
# builds nothing, and the stand-ins in the sanitizer build's places.
tree() {  # case, what the driver does, what the first fuzz target does, what listing does
  local root="$work/$1"
  mkdir -p "$root/scripts" "$root/build-sanitize/tests/fuzz"
  cp "$soak" "$root/scripts/soak.sh"
  printf '#!/bin/sh\nexit 0\n' >"$root/scripts/test.sh"
  chmod +x "$root/scripts/soak.sh" "$root/scripts/test.sh"
  stand_in "$root/build-sanitize/tests/fuzz/fuzz_hexpair" "$3" ":"
  for target in clipboard settings goto; do
    stand_in "$root/build-sanitize/tests/fuzz/fuzz_$target" "$passes" ":"
  done
  stand_in "$root/build-sanitize/tests/tst_standin" "$2" "$4"
  # A healthy suite beside it, so that there is always a driver to run.
  stand_in "$root/build-sanitize/tests/tst_healthy" "exit 0" "$lists"
  echo "$root"
}

failures=0
check() {  # case, expected exit (0 or nonzero), text the output must hold, stand-in behaviours...
  local name=$1 expected=$2 text=$3
  shift 3
  local root status=0
  root=$(tree "$name" "$@")
  "$root/scripts/soak.sh" --short >"$root/output" 2>&1 || status=$?
  local verdict=ok
  if [ "$expected" = 0 ] && [ $status -ne 0 ]; then verdict="exit status $status, expected 0"; fi
  if [ "$expected" != 0 ] && [ $status -eq 0 ]; then verdict="exit status 0, expected a finding"; fi
  grep -qF -- "$text" "$root/output" || verdict="${verdict/#ok/}; output lacks: $text"
  if [ "$verdict" = ok ]; then
    echo "PASS: $name"
  else
    echo "FAIL: $name: $verdict"
    sed 's/^/    /' "$root/output"
    failures=$((failures + 1))
  fi
}

standin="build-sanitize/tests/tst_standin randomStandIn"
check every-run-passes 0 "soak: clean" "exit 0" "$passes" "$lists"
check driver-aborts-without-a-seed 1 "$standin" 'kill -ABRT $$' "$passes" "$lists"
check driver-fails-without-a-seed 1 "$standin" 'echo "FAIL!  : randomStandIn() Compared values are not the same"; exit 1' \
  "$passes" "$lists"
check driver-fails-naming-its-seed 1 "BYTELON_SEED=3 BYTELON_SEEDS=1" 'echo "FAIL!  : seed 3: bytes differ"; exit 1' \
  "$passes" "$lists"
check fuzz-target-crashes 1 "fuzz_hexpair: FINDING" "exit 0" 'kill -SEGV $$' "$lists"
check suite-cannot-list-its-functions 1 "tst_standin: FINDING" "exit 0" "$passes" 'kill -ABRT $$'
[ $failures -eq 0 ]
