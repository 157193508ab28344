#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test. The last
# lines are ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug --output-on-failure -j2
