#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: first the
# debug build, then the Windows binaries under Wine, then a short run of
# every fuzz target (clang's libFuzzer), then the same tests and scenarios
# under the address, undefined-behaviour and leak sanitizers. The last lines
# are ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
cmake --preset debug >/dev/null
cmake --build --preset debug -j"$jobs"
ctest --preset debug --output-on-failure -j"$jobs"
scripts/test-windows.sh
JOBS=$jobs FUZZ_SEED=1 FUZZ_RUNS=20000 scripts/fuzz.sh
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan --output-on-failure -j"$jobs"
