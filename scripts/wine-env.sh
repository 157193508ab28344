# Sourced by the Windows test scripts: a private Wine prefix under build/,
# made on first use. Needs wine32 installed before the prefix is made (a
# prefix made earlier cannot run 32-bit programs), so a prefix without the
# marker is made again.
qx_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$qx_root/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# The 32-bit loader is installed but this machine may not run 32-bit
# programs; the 64-bit loader runs 64-bit programs in any case.
export WINELOADER=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.quellix-ready-2" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  echo "Making the Wine prefix $WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  # Without a window manager, closing a visible window stalls otherwise.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.quellix-ready-2"
fi
