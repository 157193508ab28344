#!/usr/bin/env bash
# Builds the Windows binaries (32- and 64-bit) and runs their tests under
# Wine, inside one virtual X server. The last lines are ctest's summary.
# With QX_TEST_LOGS set (scripts/test.sh), ctest also writes its output
# into that folder.
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
  # The first program of a session starts the resident processes of Wine
  # (explorer, services); started here, they do not hold the output pipe of
  # a test, which would keep ctest waiting until its timeout.
  /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 </dev/null
  ctest --preset win32 -j1 ${QX_TEST_LOGS:+-O "$QX_TEST_LOGS/win32.log"}
  ctest --preset win64 -j1 ${QX_TEST_LOGS:+-O "$QX_TEST_LOGS/win64.log"}
'
