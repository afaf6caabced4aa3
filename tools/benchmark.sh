#!/usr/bin/env bash
# Measurements (not tests): start-up time against a minimal dialog program, executable sizes, and
# the detection and install timings printed by the end-to-end scenarios. Timings are medians of
# repeated, interleaved runs; read them as ratios, since the machines are shared and noisy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/bootstrap.sh"
build="$root/build"
cmake -S . -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build/win32" KQSetup PHelper >/dev/null
cmake -S . -B "$build/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build/win64" >/dev/null

echo "sizes of the shipped executables (i686):"
for f in KQSetup.exe PHelper.exe; do
  printf '  %-12s %9d bytes\n' "$f" "$(stat -c %s "$build/win32/bin/$f")"
done

tmp=$(mktemp -d)
prefix="$build/bench-prefix"
xvfb_pid=""
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$tmp/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")"
"$root/tools/wine-prefix.sh" "$prefix" "$build/win64"
. "$root/tools/wine-env.sh"
export WINEPREFIX="$prefix"
"$KQ_WINE" "$build/win64/bin/kq_e2e.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='*DISABLED_Benchmark*:Detection.AnEnumerated*:Detection.WithoutAPrinter*:Install.Measure*:Hostile.ASixty*:Hostile.TenThousand*' \
  2>&1 | grep -E 'MEASURE|FAILED' || true
