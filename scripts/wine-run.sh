#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix; CTest's
# emulator for the Windows presets. A 32-bit program on a machine whose
# kernel cannot run 32-bit code (Wine's 32-bit loader is then unusable)
# exits 77, which the tests report as skipped rather than passed.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
exe="$1"
shift
# The PE header's machine field: 0x14c is i386.
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')
if [ "$machine" = "014c" ]; then
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "skipped: this machine cannot run 32-bit programs, so Wine cannot run $(basename "$exe")"
    exit 77
  fi
  exec /usr/lib/wine/wine "$exe" "$@"
fi
exec /usr/lib/wine/wine64 "$exe" "$@"
