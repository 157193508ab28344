#!/usr/bin/env bash
# Installs what building and testing Quellix on Debian 12 needs, then
# fetches the test data that comes from npm (scripts/fetch-easylist.sh).
# Safe to run again: packages and data already present are not fetched.
set -euo pipefail
here=$(dirname "$0")

packages=(
  build-essential cmake ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libcxxopts-dev
  # The check of the committed pictures and sound against their scripts.
  python3
  # The Windows build and its tests under Wine in a virtual X server.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libwine-dev wine wine64 xvfb xauth xdotool nsis fp-utils
)
# Wine's 32-bit half, for the 32-bit binaries (the classic browser is
# 32-bit); it needs the i386 architecture.
foreign=(wine32:i386)

missing=()
for p in "${packages[@]}" "${foreign[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm fetches the real EasyList for the rule-list tests. A machine may have
# it from a Node.js of its own; Debian's package would clash with that.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -eq 0 ]; then
  exec "$here/fetch-easylist.sh"
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
"$here/fetch-easylist.sh"
