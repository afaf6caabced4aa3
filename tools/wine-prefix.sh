#!/usr/bin/env bash
# Makes a fresh Wine prefix for tests or the demo and prepares it:
#   wine-prefix.sh PREFIX_DIR [BUILD_DIR]
# - no window manager under Xvfb, so windows are not "managed" (they keep captions, and hidden
#   windows do not stall the UI thread);
# - the printui.dll stand-in, when built, goes into system32 (used with WINEDLLOVERRIDES=printui=n).
# A persistent wineserver is left running for the prefix; end it with `wineserver -k`.
set -euo pipefail
prefix="$1"
build="${2:-}"
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$prefix"
if [ -n "$prefix" ] && [ -d "$prefix" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$KQ_WINE" wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p >/dev/null 2>&1 || true
"$KQ_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
if [ -n "$build" ] && [ -f "$build/wine/printui.dll" ]; then
  cp "$build/wine/printui.dll" "$prefix/drive_c/windows/system32/printui.dll"
fi
