#!/usr/bin/env bash
# Soak: builds the sanitizer configuration with its fuzz targets, runs every fuzz target
# for its share of the time, then every randomized driver of the test suite
# (test functions named random*) with seed after seed, and prints what it ran.
# Among the drivers is the kill sweep (tst_recovery randomKillSweep): the
# program, as a process, killed at a random instant of its edits, each seed
# one kill, and the document it leaves recovered at the next start.
#
#   scripts/soak.sh [minutes]          default 10: two thirds fuzzing, one third drivers
#   scripts/soak.sh --short            CI: 30 s per fuzz target, each driver once
#                                      with 4 seeds (20,000 steps of the editing differential)
#
# Runs as many fuzz targets or drivers at once as the machine has cores.
#
# Exits non-zero on any finding, naming a reproducer: the input file a fuzz
# target failed on, or the command line that repeats a driver's failing seed.
# Any run that exits non-zero, or ends without saying how it went (a crash,
# a sanitizer's abort), is a finding with its command line.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
short=0
minutes=10
case "${1:-}" in
  --short) short=1 ;;
  "") ;;
  *[!0-9]* ) echo "usage: $0 [minutes] | --short" >&2; exit 2 ;;
  *) minutes=$1 ;;
esac

sanitize="$here/build-sanitize"
findings="$sanitize/findings"
targets=(hexpair clipboard settings goto)

# One build holds both the sanitized test suites and the fuzz targets.
"$here/scripts/test.sh" --sanitize --build-only

export QT_QPA_PLATFORM=offscreen
export QT_QPA_FONTDIR=/usr/share/fonts/truetype
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
rm -rf "$findings"
mkdir -p "$findings"
# Each run leaves its summary line in a .result file, "FINDING" in it on a
# finding. Its command line goes in a .command file first: a run that leaves
# no result beside it ended without saying how, which is a finding too.
results="$findings/results"
mkdir -p "$results"
parallel=$(nproc)

# Starts "$@" in the background once fewer than $parallel runs are going.
# The run's own shell does not stop at a failing command: every outcome is
# written down, and checked at the end.
start_run() {
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  ( set +e; "$@" ) &
}

# Runs the command, its output in the log; the command line goes in
# <id>.command. Returns the command's exit status.
run_logged() {
  local id=$1 log=$2
  shift 2
  printf '%q ' "$@" >"$results/$id.command"
  "$@" >"$log" 2>&1
}

if [ $short -eq 1 ]; then
  fuzz_seconds=30
  driver_seconds=0
else
  fuzz_seconds=$(( minutes * 60 * 2 / 3 * parallel / ${#targets[@]} ))
  driver_seconds=$(( minutes * 60 / 3 ))
fi
[ "$fuzz_seconds" -ge 1 ] || fuzz_seconds=1

fuzz_target() {
  local target=$1
  local exe="$sanitize/tests/fuzz/fuzz_$target"
  local corpus="$sanitize/corpus/$target"
  local log="$findings/fuzz_$target.log"
  local id="1-fuzz_$target"
  mkdir -p "$corpus"
  # New inputs go to the working corpus; the seeds in the repository stay as they are.
  run_logged "$id" "$log" "$exe" -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 \
    -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$findings/fuzz_${target}-" \
    "$corpus" "$here/tests/fuzz/corpus/$target"
  local status=$?
  if [ $status -eq 0 ]; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz_$target: ${runs:-?} executions in ${fuzz_seconds}s, no finding" >"$results/$id.result"
  else
    local artifact
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    tail -n 40 "$log"
    {
      echo "fuzz_$target: FINDING, exit status $status, after: $(cat "$results/$id.command")"
      echo "  reproduce with: $exe ${artifact:-<see $log>}  (log $log)"
    } >"$results/$id.result"
  fi
}

echo "== fuzzing ${targets[*]}, ${fuzz_seconds}s each, $parallel at once"
for target in "${targets[@]}"; do
  start_run fuzz_target "$target"
done
wait

# The randomized drivers, found by name in every suite; a suite that cannot
# even list its functions is a finding.
drivers=()
for suite in "$sanitize"/tests/tst_*; do
  [ -f "$suite" ] && [ -x "$suite" ] || continue
  if ! listed=$("$suite" -functions 2>&1); then
    printf '%s\n' "$listed" | tail -n 20
    echo "$(basename "$suite"): FINDING, listing its functions failed: $suite -functions" \
      >"$results/2-$(basename "$suite")-functions.result"
    continue
  fi
  for function in $(printf '%s\n' "$listed" | sed -n 's/^\(random[A-Za-z0-9_]*\)()$/\1/p'); do
    drivers+=("$suite:$function")
  done
done
# Steps per seed: a step of the editing differential is one edit; a search
# step rewrites and searches a whole document. Drivers not named take 1000.
# A step of the kill sweep is one edit of the script the program runs before
# it is killed; a seed is one kill.
declare -A driver_steps=([randomEditsMatchModel]=5000 [randomAgainstPlainScan]=300 [randomKillSweep]=8)
steps_of() { echo "${driver_steps[$1]:-1000}"; }
if [ ${#drivers[@]} -eq 0 ]; then
  echo "no randomized drivers found" >&2
  exit 1
fi

# Runs one driver on seeds first .. first + seeds - 1 and appends
# "<seeds> <steps>" to its tally, or leaves a FINDING result naming the
# command that repeats the failing seed.
run_driver() {
  local suite=$1 function=$2 first=$3 seeds=$4 steps=$5
  local name
  name="$(basename "$suite") $function"
  local id="2-$(basename "$suite")-$function-$first"
  local log="$findings/$(basename "$suite")-$function-$first.log"
  run_logged "$id" "$log" env BYTELON_SEED="$first" BYTELON_SEEDS="$seeds" BYTELON_STEPS="$steps" \
    "$suite" "$function"
  local status=$?
  if [ $status -eq 0 ]; then
    rm -f "$log" "$results/$id.command"
    echo "$seeds $steps" >>"$results/tally-$(basename "$suite")-$function"
    return 0
  fi
  # The failure message names the seed; without one, the whole batch repeats it.
  local seed count=1
  seed=$(grep -o 'seed [0-9]*' "$log" | head -1 | cut -d' ' -f2)
  [ -n "$seed" ] || { seed=$first; count=$seeds; }
  tail -n 30 "$log"
  printf '%s\n' "$name: FINDING, exit status $status, after: $(cat "$results/$id.command")" \
    "  reproduce with: BYTELON_SEED=$seed BYTELON_SEEDS=$count BYTELON_STEPS=$steps QT_QPA_PLATFORM=offscreen $suite $function  (log $log)" \
    >"$results/$id.result"
  return 1
}

echo "== drivers: ${#drivers[@]}, $parallel at once"
if [ $short -eq 1 ]; then
  for driver in "${drivers[@]}"; do
    start_run run_driver "${driver%%:*}" "${driver##*:}" 1 4 "$(steps_of "${driver##*:}")"
  done
  wait
else
  # Round after round of fresh seeds until the drivers' share of the time is used.
  end=$(( $(date +%s) + driver_seconds ))
  seed=$(( $(date +%s) % 1000000 * 100 ))
  # A fuzz finding does not keep the drivers from their turn; a driver's ends it.
  while [ "$(date +%s)" -lt "$end" ] && ! ls "$results"/2-*.result >/dev/null 2>&1; do
    for driver in "${drivers[@]}"; do
      start_run run_driver "${driver%%:*}" "${driver##*:}" "$seed" 2 "$(steps_of "${driver##*:}")"
    done
    wait
    seed=$(( seed + 2 ))
  done
fi

# A run that left its command line but no result ended without saying how.
for command in "$results"/*.command; do
  [ -e "$command" ] || continue
  id=$(basename "$command" .command)
  [ -f "$results/$id.result" ] \
    || echo "$id: FINDING, ended without a result: $(cat "$command")" >"$results/$id.result"
done

total_seeds=0
total_steps=0
for driver in "${drivers[@]}"; do
  name="$(basename "${driver%%:*}")-${driver##*:}"
  seeds=0
  steps=0
  if [ -f "$results/tally-$name" ]; then
    while read -r s n; do
      seeds=$(( seeds + s ))
      steps=$(( steps + s * n ))
    done <"$results/tally-$name"
  fi
  total_seeds=$(( total_seeds + seeds ))
  total_steps=$(( total_steps + steps ))
  ls "$results/2-$name-"*.result >/dev/null 2>&1 \
    || echo "$(basename "${driver%%:*}") ${driver##*:}: $seeds seeds, $steps steps, no finding" \
      >"$results/3-$name.result"
done

echo
echo "== soak summary"
cat "$results"/*.result
echo "drivers: $total_seeds seeds, $total_steps steps in all"
if grep -q FINDING "$results"/*.result 2>/dev/null; then
  echo "soak: FINDINGS (see above)"
  exit 1
fi
echo "soak: clean"
