#!/usr/bin/env bash
# Builds the Windows binaries (32- and 64-bit) and runs their tests under
# Wine, inside one virtual X server. The last lines are ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done
source scripts/wine-env.sh
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  wineserver -p
  trap "wineserver -k" EXIT
  # Start the services of Wine now: started by the first test they would
  # keep its output open and ctest would wait for them until its time-out.
  /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 </dev/null
  ctest --preset win32 -j1
  ctest --preset win64 -j1
'
