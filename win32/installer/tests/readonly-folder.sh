#!/usr/bin/env bash
# The installed program in a read-only program folder, under Wine: installs
# with the real installer (silently), makes the folder read-only as Program
# Files is for a user, and runs readonly_tests against the installed program;
# then uninstalls. This machine's tests run as root, which ignores
# permissions, so the folder is made immutable (chattr +i) on the Linux side;
# a trap always takes that away again. Where chattr cannot do it, the test
# is skipped (exit 77), never passed.
# Usage: readonly-folder.sh INSTALLER READONLY_TESTS
set -uo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
installer="$1"
tests="$2"
source "$root/scripts/wine-env.sh"
run() { "$root/scripts/wine-run.sh" "$@"; }

folder='C:\qx-readonly'
linux="$WINEPREFIX/drive_c/qx-readonly"

cleanup() {
  chattr -i "$linux" 2>/dev/null
  if [ -f "$linux/Uninstall.exe" ]; then
    run "$linux/Uninstall.exe" /S /REMOVEALL "_?=$folder" >/dev/null 2>&1
  fi
  rm -rf "$linux"
}
trap cleanup EXIT
cleanup

run "$installer" /S "/D=$folder"
code=$?
if [ "$code" -eq 77 ]; then exit 77; fi
if [ "$code" -ne 0 ] || [ ! -f "$linux/Quellix.exe" ]; then
  echo "the installer failed ($code)"
  exit 1
fi
if ! chattr +i "$linux" 2>/dev/null || touch "$linux/probe" 2>/dev/null; then
  rm -f "$linux/probe"
  echo "skipped: cannot make $linux read-only here (chattr +i)"
  exit 77
fi
run "$tests" run "$folder"
result=$?
chattr -i "$linux"
# The uninstaller's copy of itself runs on; "gone" waits for its work.
run "$linux/Uninstall.exe" /S /REMOVEALL
run "$tests" gone "$folder" || result=1
exit "$result"
