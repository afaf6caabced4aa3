#!/usr/bin/env bash
# Runs the wizard under Wine on the bundled sample package, with a simulated USB printer
# "KESTROM KQ-80" attached. With $DISPLAY set the wizard opens there for you to click through;
# without it, it runs under Xvfb, walks the four pages to a finished installation and saves a
# screenshot of each page.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/bootstrap.sh"

build="$root/build"
cmake -S . -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build/win32" KQSetup >/dev/null
cmake -S . -B "$build/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build/win64" >/dev/null

prefix="$build/demo-prefix"
shots="$root/out/demo"
xvfb_pid=""
tmp=$(mktemp -d)
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$tmp/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$tmp/display")"
fi

echo "demo: preparing a fresh Wine prefix in $prefix"
"$root/tools/wine-prefix.sh" "$prefix" "$build/win64"
. "$root/tools/wine-env.sh"
export WINEPREFIX="$prefix"
if [ -x "$build/win64/wine/kqseed.exe" ] || [ -f "$build/win64/wine/kqseed.exe" ]; then
  "$KQ_WINE" "$build/win64/wine/kqseed.exe" usb "KESTROM KQ-80" 'USBPRINT\KESTROMKQ-80E5A1' 1 >/dev/null
fi

if [ $headless -eq 0 ]; then
  echo "demo: starting the wizard on $DISPLAY"
  "$KQ_WINE" "$build/win64/bin/KQSetup.exe"
  exit 0
fi

rm -rf "$shots"
mkdir -p "$shots"
export KQ_SCREENSHOTS="$shots"
echo "demo: walking the wizard under Xvfb ($DISPLAY)"
"$KQ_WINE" "$build/win64/bin/kq_e2e.exe" --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_Demo*' \
  --gtest_brief=1 >"$tmp/demo.log" 2>&1 || { cat "$tmp/demo.log"; exit 1; }
"$root/tools/screenshots.sh" "$shots"
echo "demo: screenshots of each page:"
ls -1 "$shots"/*.png | sed 's/^/  /'
