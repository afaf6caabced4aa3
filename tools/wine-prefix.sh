#!/usr/bin/env bash
# Makes a fresh Wine prefix of one world (see tools/wine-env.sh) for tests or the demo:
#   wine-prefix.sh PREFIX_DIR WORLD [I686_BUILD_DIR [X86_64_BUILD_DIR]]
# - no window manager under Xvfb, so windows are not "managed" (they keep captions, and hidden
#   windows do not stall the UI thread);
# - the printui.dll stand-in of each architecture where that world's system keeps its own:
#   win32: the 32-bit one in system32; win64: the 64-bit one in system32, the 32-bit one in
#   syswow64 (used with WINEDLLOVERRIDES=printui=n).
# A persistent wineserver is left running for the prefix; end it with `wineserver -k`.
set -euo pipefail
prefix="$1"
KQ_WORLD="$2"
i686="${3:-}"
x86_64="${4:-}"
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$prefix"
if [ -d "$prefix" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
# A prefix made while 32-bit code could not run would lack its 32-bit half (an empty syswow64).
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo "wine-prefix: 32-bit programs cannot run here (no qemu-i386 in binfmt_misc); run tools/bootstrap.sh" >&2
  exit 1
fi
WINEARCH="$KQ_WINEARCH" WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$KQ_WINEBOOT_LOADER" wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p >/dev/null 2>&1 || true
"$KQ_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# The desktop and Wine's background processes for the whole session, with no output to hold on
# to (see wine/tools/kqdesktop.cpp); it ends with the prefix's wineserver.
if [ -n "$i686" ] && [ -f "$i686/wine/kqdesktop.exe" ]; then
  ready="$prefix/drive_c/kqdesktop.ready"
  "$KQ_WINE" "$i686/wine/kqdesktop.exe" 'C:\kqdesktop.ready' </dev/null >/dev/null 2>&1 &
  for _ in $(seq 300); do [ -e "$ready" ] && break; sleep 0.1; done
  [ -e "$ready" ] || { echo "wine-prefix: the desktop of $prefix did not start" >&2; exit 1; }
fi
system="$prefix/drive_c/windows/system32"
case "$KQ_WORLD" in
  win32)
    [ -n "$i686" ] && cp "$i686/wine/printui.dll" "$system/printui.dll" ;;
  win64)
    [ -n "$x86_64" ] && cp "$x86_64/wine/printui.dll" "$system/printui.dll"
    [ -n "$i686" ] && cp "$i686/wine/printui.dll" "$prefix/drive_c/windows/syswow64/printui.dll" ;;
esac
exit 0
