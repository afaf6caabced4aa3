#!/usr/bin/env bash
# Runs the shipped 32-bit wizard under Wine on the bundled sample package, as a 64-bit Windows runs
# it (WOW64), with a simulated USB printer "KESTROM KQ-80" attached. With $DISPLAY set the wizard opens there for you to click through;
# without it, it runs under Xvfb, walks the four pages to a finished installation and saves a
# screenshot of each page.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/bootstrap.sh"

build="$root/build"
. "$root/tools/session.sh"
kq_build_windows "$build"

headless=1
[ -n "${DISPLAY:-}" ] && headless=0
shots="$root/out/demo"
echo "demo: preparing a fresh Wine prefix (64-bit Windows) in $build/demo-prefix"
KQ_KEEP_DISPLAY=1 kq_start_display
kq_make_world win64 "$build/demo-prefix"
kq_use_world win64 "$build/demo-prefix"
# The simulated printer: the records Windows keeps for an attached USB "KESTROM KQ-80".
"$KQ_WINE" "$build/i686/wine/kqseed.exe" usb "KESTROM KQ-80" 'USBPRINT\KESTROMKQ-80E5A1' 1 >/dev/null

if [ $headless -eq 0 ]; then
  echo "demo: starting the wizard on $DISPLAY"
  "$KQ_WINE" "$build/i686/bin/KQSetup.exe"
  exit 0
fi

rm -rf "$shots"
mkdir -p "$shots"
export KQ_SCREENSHOTS="$shots"
echo "demo: walking the wizard under Xvfb ($DISPLAY)"
"$KQ_WINE" "$build/i686/bin/kq_e2e.exe" --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_Demo*' \
  >"$kq_session_tmp/demo.log" 2>&1 || { cat "$kq_session_tmp/demo.log"; exit 1; }
"$root/tools/screenshots.sh" "$shots"
echo "demo: screenshots of each page:"
ls -1 "$shots"/*.png | sed 's/^/  /'
