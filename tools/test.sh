#!/usr/bin/env bash
# Builds the targets and runs every test: the checks of the shipped executables, the host build
# under AddressSanitizer/UBSan, short fuzzer runs, and the shipped 32-bit build's unit and
# end-to-end tests under Wine, in two worlds: a 64-bit Windows (the program under WOW64) and a
# 32-bit Windows. Prints the time of each part.
#   tools/test.sh                 everything
#   KQ_SKIP_E2E=1 tools/test.sh   without the end-to-end scenarios
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/bootstrap.sh"

build="$root/build"
jobs=$(nproc 2>/dev/null || echo 2)
failed=()
passed=()
timings=()
run_start=$(date +%s)
note_time() { # name, start
  timings+=("$(printf '%5d s  %s' $(( $(date +%s) - $2 )) "$1")")
}
timed() { # name, command... : a part that is no test, only timed (a failure ends the run)
  local name="$1" start; shift
  start=$(date +%s)
  "$@"
  note_time "$name" "$start"
}
step() { # name, command... : a timed test; a failure is noted and the run goes on
  local name="$1" start status=0; shift
  echo "=== $name"
  start=$(date +%s)
  "$@" || status=$?
  note_time "$name" "$start"
  if [ $status -eq 0 ]; then passed+=("$name"); else failed+=("$name"); echo "*** $name FAILED"; fi
}

# The scenarios that also run in the 32-bit world: the core flows. Every scenario runs in the
# 64-bit world, where most users are.
core_scenarios='^(Detection\.AUsbInstallEndsWithThePrinterRecordsAndTheHelperRun|Install\.ParallelPortInstallCreatesTheDefaultPrinterOnLpt1|Install\.AnExistingPrinterOfThatNameGetsACopySuffixAndTheNewOneBecomesDefault|Install\.ACommandThatCreatesNothingFailsWith30AndBackRunsItAgain|Install\.TheTestPageDialogShowsWhileTheCommandRuns|Install\.ASystemOlderThanWindows2000IsRefusedWithMessage482|MissingPackageInf\.SaysWhichFileIsMissingWhereAndEnds)$'

. "$root/tools/session.sh"
timed "build: i686 (shipped, with tests) and the 64-bit stand-in" kq_build_windows "$build"
# The host build of the portable code, with the sanitizers, and the fuzzers (clang).
host_build() {
  CC=clang CXX=clang++ cmake -S . -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  ninja -C "$build/host" >/dev/null
}
timed "build: host (sanitizers, fuzzers)" host_build

step "shipped executables" "$root/tests/static/check_executables.sh" "$build/i686/bin" \
  "$build/i686/probe/planted_import_probe.exe" "$build/x86_64/bin"

step "host unit tests (ASan/UBSan)" ctest --test-dir "$build/host" --output-on-failure -j"$jobs"

if ls "$build/host"/*_fuzz >/dev/null 2>&1; then
  step "fuzzers (short runs)" "$root/tools/fuzz.sh" "$build/host" 15
fi

# A display and one throwaway prefix per world for this run, made side by side.
make_worlds() {
  kq_make_worlds "win64 $build/prefix-win64" "win32 $build/prefix-win32"
}
kq_start_display
timed "Wine prefixes of both worlds" make_worlds
export KQ_SCREENSHOTS="$build/screenshots"
mkdir -p "$KQ_SCREENSHOTS"

for world in win64 win32; do
  kq_use_world "$world" "$build/prefix-$world"
  step "Windows unit tests, $world world" ctest --test-dir "$build/i686" --output-on-failure -j"$jobs" -LE e2e
  if [ -z "${KQ_SKIP_E2E:-}" ]; then
    export KQ_SCREENSHOT_PREFIX="$world-"
    if [ "$world" = win64 ]; then
      step "end-to-end scenarios, $world world (all)" ctest --test-dir "$build/i686" --output-on-failure -L e2e
    else
      step "end-to-end scenarios, $world world (core flows)" ctest --test-dir "$build/i686" --output-on-failure \
        -L e2e -R "$core_scenarios"
    fi
  fi
done
[ -z "${KQ_SKIP_E2E:-}" ] && { "$root/tools/screenshots.sh" "$KQ_SCREENSHOTS" || true; }

echo
echo "times:"
printf '%s\n' "${timings[@]}"
printf '%5d s  whole run\n' $(( $(date +%s) - run_start ))
echo "passed: ${passed[*]:-none}"
[ ${#failed[@]} -eq 0 ] || echo "failed: ${failed[*]}"
echo "${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
