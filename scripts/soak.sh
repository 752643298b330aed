#!/usr/bin/env bash
# Soak: builds the sanitizer and fuzz configurations, runs every fuzz target
# for its share of the time, then every randomized driver of the test suite
# (test functions named random*) with seed after seed, and prints what it ran.
#
#   scripts/soak.sh [minutes]          default 10: two thirds fuzzing, one third drivers
#   scripts/soak.sh --short            CI: 30 s per fuzz target, each driver once
#                                      with 4 seeds (20,000 steps of the editing differential)
#
# Exits non-zero on any finding, naming a reproducer: the input file a fuzz
# target failed on, or the command line that repeats a driver's failing seed.
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

"$here/scripts/deps.sh" --fuzz
sanitize="$here/build-sanitize"
fuzz="$here/build-fuzz"
findings="$here/build-fuzz/findings"
targets=(hexpair clipboard settings goto)

cmake -S "$here" -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBYTELON_SANITIZE=ON >/dev/null
cmake --build "$sanitize"
cmake -S "$here" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBYTELON_FUZZ=ON >/dev/null
cmake --build "$fuzz" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
export QT_QPA_FONTDIR=/usr/share/fonts/truetype
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$findings"

if [ $short -eq 1 ]; then
  fuzz_seconds=30
  driver_seconds=0
else
  fuzz_seconds=$(( minutes * 60 * 2 / 3 / ${#targets[@]} ))
  driver_seconds=$(( minutes * 60 - fuzz_seconds * ${#targets[@]} ))
fi
[ "$fuzz_seconds" -ge 1 ] || fuzz_seconds=1
failed=0
summary=()

for target in "${targets[@]}"; do
  exe="$fuzz/tests/fuzz/fuzz_$target"
  corpus="$fuzz/corpus/$target"
  mkdir -p "$corpus"
  log="$findings/fuzz_$target.log"
  echo "== fuzz_$target for ${fuzz_seconds}s"
  # New inputs go to the working corpus; the seeds in the repository stay as they are.
  if "$exe" -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$findings/fuzz_${target}-" \
      "$corpus" "$here/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    summary+=("fuzz_$target: ${runs:-?} executions in ${fuzz_seconds}s, no finding")
  else
    failed=1
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    tail -n 40 "$log"
    summary+=("fuzz_$target: FINDING, reproduce with: $exe ${artifact:-<see $log>}  (log $log)")
  fi
done

# The randomized drivers, found by name in every suite.
drivers=()
for suite in "$sanitize"/tests/tst_*; do
  [ -f "$suite" ] && [ -x "$suite" ] || continue
  for function in $("$suite" -functions 2>/dev/null | sed -n 's/^\(random[A-Za-z0-9_]*\)()$/\1/p'); do
    drivers+=("$suite:$function")
  done
done
# Steps per seed: a step of the editing differential is one edit; a search
# step rewrites and searches a whole document. Drivers not named take 1000.
declare -A driver_steps=([randomEditsMatchModel]=5000 [randomAgainstPlainScan]=300)
steps_of() { echo "${driver_steps[$1]:-1000}"; }
if [ ${#drivers[@]} -eq 0 ]; then
  echo "no randomized drivers found" >&2
  exit 1
fi

# Runs one driver on seeds first .. first + seeds - 1; false on a failure,
# after naming the command that repeats the failing seed.
run_driver() {
  local suite=$1 function=$2 first=$3 seeds=$4 steps=$5
  local log="$findings/$(basename "$suite")-$function-$first.log"
  if BYTELON_SEED=$first BYTELON_SEEDS=$seeds BYTELON_STEPS=$steps "$suite" "$function" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  # The failure message names the seed; without one, the whole batch repeats it.
  local seed count=1
  seed=$(grep -o 'seed [0-9]*' "$log" | head -1 | cut -d' ' -f2)
  [ -n "$seed" ] || { seed=$first; count=$seeds; }
  tail -n 30 "$log"
  summary+=("$(basename "$suite") $function: FINDING, reproduce with:"
            "  BYTELON_SEED=$seed BYTELON_SEEDS=$count BYTELON_STEPS=$steps QT_QPA_PLATFORM=offscreen $suite $function  (log $log)")
  return 1
}

total_steps=0
total_seeds=0
if [ $short -eq 1 ]; then
  for driver in "${drivers[@]}"; do
    steps=$(steps_of "${driver##*:}")
    if run_driver "${driver%%:*}" "${driver##*:}" 1 4 "$steps"; then
      summary+=("$(basename "${driver%%:*}") ${driver##*:}: 4 seeds x $steps steps, no finding")
    else
      failed=1
    fi
    total_seeds=$(( total_seeds + 4 ))
    total_steps=$(( total_steps + 4 * steps ))
  done
else
  # Round after round of fresh seeds until the drivers' share of the time is used.
  end=$(( $(date +%s) + driver_seconds ))
  seed=$(( $(date +%s) % 1000000 * 100 ))
  declare -A seeds_run steps_run
  # A fuzz finding does not keep the drivers from their turn; a driver's ends it.
  driver_failed=0
  while [ "$(date +%s)" -lt "$end" ] && [ $driver_failed -eq 0 ]; do
    for driver in "${drivers[@]}"; do
      steps=$(steps_of "${driver##*:}")
      run_driver "${driver%%:*}" "${driver##*:}" "$seed" 2 "$steps" || { failed=1; driver_failed=1; break; }
      seeds_run[$driver]=$(( ${seeds_run[$driver]:-0} + 2 ))
      steps_run[$driver]=$(( ${steps_run[$driver]:-0} + 2 * steps ))
      total_seeds=$(( total_seeds + 2 ))
      total_steps=$(( total_steps + 2 * steps ))
    done
    seed=$(( seed + 2 ))
  done
  for driver in "${drivers[@]}"; do
    summary+=("$(basename "${driver%%:*}") ${driver##*:}: ${seeds_run[$driver]:-0} seeds, ${steps_run[$driver]:-0} steps")
  done
fi

echo
echo "== soak summary"
printf '%s\n' "${summary[@]}"
echo "drivers: $total_seeds seeds, $total_steps steps in all"
if [ $failed -ne 0 ]; then
  echo "soak: FINDINGS (see above)"
  exit 1
fi
echo "soak: clean"
