#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: first the
# debug build, then the Windows binaries under Wine, then a short run of
# every fuzz target (clang's libFuzzer), then the same tests and scenarios
# under the address, undefined-behaviour and leak sanitizers. The last line
# is the sum of every stage: "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
# Each stage's summary is kept here (ctest writes a copy of its output, the
# fuzz run is teed), and the last line adds them up.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export QX_TEST_LOGS=$logs
cmake --preset debug >/dev/null
cmake --build --preset debug -j"$jobs"
ctest --preset debug --output-on-failure -j"$jobs" -O "$logs/debug.log"
scripts/test-windows.sh
JOBS=$jobs FUZZ_SEED=1 FUZZ_RUNS=20000 scripts/fuzz.sh | tee "$logs/fuzz.log"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan --output-on-failure -j"$jobs" -O "$logs/asan.log"
scripts/sum-results.sh "$logs"/*.log
