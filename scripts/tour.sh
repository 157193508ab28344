#!/usr/bin/env bash
# Installs what is needed, builds Quellix for the simulated desktop and runs
# the bundled tour.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
./build/debug/quellix-sim examples/tour.scn
