#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang with the address and
# undefined-behaviour sanitizers) and runs each for SECONDS (default 20),
# starting from its seed corpus in fuzz/corpus/<target>. New inputs are
# kept in build/fuzz/corpus/<target>, crashing ones in
# build/fuzz/crashes/<target>. Prints executions, coverage and crashes per
# target; the last line is "N passed, N failed".
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# FUZZ_SEED=N FUZZ_RUNS=N make a run repeatable: a fixed seed and a fixed
# number of inputs per target instead of a time (CI uses them, so that a
# result never depends on the machine's speed or luck). The same binary gives
# the same result; a changed program may well take another path.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
jobs=${JOBS:-$(nproc)}

cmake --preset fuzz >/dev/null || exit 2
mkdir -p build/fuzz/logs
cmake --build --preset fuzz -j"$jobs" >build/fuzz/logs/build.log 2>&1 || {
  cat build/fuzz/logs/build.log
  exit 2
}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

# A seeded run is only repeatable with the same addresses from run to run
# (libFuzzer keys what it learns from comparisons by code address) and
# without re-reading the corpus folder on a timer.
steady=()
if [ -n "${FUZZ_SEED:-}" ] && setarch "$(uname -m)" -R true 2>/dev/null; then
  steady=(setarch "$(uname -m)" -R)
fi

passed=0
failed=0
printf "%-16s %12s %8s %8s %8s\n" target executions coverage features crashes
for t in "${targets[@]}"; do
  work=build/fuzz/corpus/$t
  crashes=build/fuzz/crashes/$t
  log=build/fuzz/logs/$t.log
  mkdir -p "$work" "$crashes" "$(dirname "$log")"
  limit=(-max_total_time="$seconds")
  [ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$FUZZ_RUNS")
  [ -n "${FUZZ_SEED:-}" ] && limit+=(-seed="$FUZZ_SEED" -reload=0)
  "${steady[@]}" build/fuzz/fuzz/fuzz_"$t" "${limit[@]}" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$crashes/" "$work" "fuzz/corpus/$t" \
    >"$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*' || true)
  found=$(find "$crashes" -type f | wc -l)
  printf "%-16s %12s %8s %8s %8s\n" "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$found"
  if [ "$rc" -eq 0 ] && [ "$found" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "  $t: see $log"
    grep -m5 -E 'invariant broken|ERROR: |SUMMARY' "$log" | sed 's/^/    /'
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
