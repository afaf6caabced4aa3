#!/usr/bin/env bash
# Builds the targets and runs every test: the checks of the shipped executables, the host build
# under AddressSanitizer/UBSan, short fuzzer runs, and the shipped 32-bit build's unit and
# end-to-end tests under Wine, in two worlds: a 64-bit Windows (the program under WOW64) and a
# 32-bit Windows. Prints the time of each part.
# Also: the shipped executables built a second time in another folder must be the same bytes
# (reproducible), and a signed build (a throwaway certificate) must verify and still install.
#   tools/test.sh                 everything
#   KQ_SKIP_E2E=1 tools/test.sh   without the end-to-end scenarios
#   KQ_BUILD_DIR=DIR tools/test.sh  builds and prefixes under DIR instead of build/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/bootstrap.sh"

build="${KQ_BUILD_DIR:-$root/build}"
mkdir -p "$build"
build=$(cd "$build" && pwd)
# The builds under test are unsigned whatever this shell names; the signing part makes its own
# certificate.
unset KQ_SIGN_PKCS12 KQ_SIGN_PASSWORD_FILE KQ_SIGN_TIMESTAMP_URL
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
core_scenarios='^(Detection\.AUsbInstallEndsWithThePrinterRecordsAndTheHelperRun|Detection\.AnotherMakersPrinterAloneGetsNoDriverOursSwitchedOnLateGetsItsOwnPort|Install\.TheWindowAnswersAndNeitherCloseNorSessionEndCutsTheInstall|Unattended\.AUsbInstallShowsNothingAndLogsTheRun|Install\.ParallelPortInstallCreatesTheDefaultPrinterOnLpt1|Install\.AnExistingPrinterOfThatNameGetsACopySuffixAndTheNewOneBecomesDefault|Install\.ACommandThatCreatesNothingFailsWith30AndBackRunsItAgain|Install\.TheTestPageDialogShowsWhileTheCommandRuns|Install\.ASystemOlderThanWindows2000IsRefusedWithMessage482|MissingPackageInf\.SaysWhichFileIsMissingWhereAndEnds|Lifecycle\.AnInstallIsListedAndItsQuietUninstallStringRemovesItAll|Lifecycle\.ASecondRunUpdatesAndAMovedPrinterGetsItsNewPort|Install\.ProtectedPrintModeAndAPackageForAnotherMachineAreToldBeforeAnythingIsTouched)$'

. "$root/tools/session.sh"
timed "build: i686 (shipped, with tests) and the 64-bit stand-in" kq_build_windows "$build"
# The host build of the portable code, with the sanitizers, and the fuzzers (clang).
host_build() {
  CC=clang CXX=clang++ cmake -S . -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  ninja -C "$build/host" >/dev/null
}
timed "build: host (sanitizers, fuzzers)" host_build

# The scripts' own output stays clean: sourcing the Wine environment says nothing even in a shell
# that cannot load the locale it names (as on a fresh machine, whose bootstrap made it just now).
quiet_wine_env() {
  local said
  said=$(LOCPATH=$(mktemp -d) bash -c ". '$root/tools/wine-env.sh'" 2>&1)
  [ -z "$said" ] || { echo "FAIL sourcing tools/wine-env.sh printed: $said"; return 1; }
  echo "ok   sourcing tools/wine-env.sh prints nothing"
}
scripts() {
  local status=0
  quiet_wine_env || status=1
  # The bootstrap's way through a registry mid-sync, with a stand-in for apt.
  "$root/tests/scripts/bootstrap_test.sh" || status=1
  return $status
}
step "scripts" scripts

step "shipped executables" "$root/tests/static/check_executables.sh" "$build/i686/bin" \
  "$build/i686/probe/planted_import_probe.exe" "$build/x86_64/bin"

# Reproducible: the shipped executables built again in another folder are the same bytes, and name
# no folder of either build.
reproducible() {
  kq_build_shipped "$build/again/i686"
  local exe fail=0
  for exe in KQSetup.exe PHelper.exe; do
    sha256sum "$build/i686/bin/$exe" "$build/again/i686/bin/$exe"
    if ! cmp -s "$build/i686/bin/$exe" "$build/again/i686/bin/$exe"; then
      echo "FAIL $exe differs between the two builds"; fail=1
    fi
    if strings -a "$build/i686/bin/$exe" | grep -qF -e "$root/" -e "$build/"; then
      echo "FAIL $exe names a build path"; fail=1
    fi
  done
  return $fail
}
step "reproducible build (second build in another folder)" reproducible

# Signing: a throwaway self-signed certificate signs a build of the shipped executables (PHelper.exe
# before KQSetup.exe embeds it); both verify against it; a wrong password fails the build with
# osslsigncode's message and leaves no unsigned executable behind. The end-to-end part below
# installs with the signed KQSetup.exe.
signed="$build/signed/i686"
signing() {
  local keys="$build/signed/keys" exe fail=0 output
  rm -rf "$keys" && mkdir -p "$keys"
  openssl rand -hex 16 >"$keys/password"
  openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=KQSetup test signing/O=KESTROM" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/cert.p12" \
    -passout "file:$keys/password"
  KQ_SIGN_PKCS12="$keys/cert.p12" KQ_SIGN_PASSWORD_FILE="$keys/password" kq_build_shipped "$signed"
  for exe in KQSetup.exe PHelper.exe; do
    echo "--- osslsigncode verify $exe"
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$signed/bin/$exe" || fail=1
  done
  if ! wrestool -x --raw --type=WIN7 --name=232 "$signed/bin/KQSetup.exe" | cmp -s - "$signed/bin/PHelper.exe"; then
    echo "FAIL the PHelper.exe inside the signed KQSetup.exe is not the signed one"; fail=1
  fi
  echo wrong >"$keys/wrong-password"
  rm -f "$signed/bin/PHelper.exe"
  if output=$(KQ_SIGN_PKCS12="$keys/cert.p12" KQ_SIGN_PASSWORD_FILE="$keys/wrong-password" \
      ninja -C "$signed" PHelper 2>&1); then
    echo "FAIL a wrong certificate password did not fail the build"; fail=1
  elif ! grep -q "osslsigncode could not sign" <<<"$output" || [ -e "$signed/bin/PHelper.exe" ]; then
    echo "FAIL a failed signing did not say osslsigncode's reason or left PHelper.exe behind:"; echo "$output"; fail=1
  else
    echo "ok   a wrong password fails the build:"; grep -A3 "osslsigncode could not sign" <<<"$output" | sed 's/^/       /'
  fi
  # Signed again, for the end-to-end part.
  KQ_SIGN_PKCS12="$keys/cert.p12" KQ_SIGN_PASSWORD_FILE="$keys/password" ninja -C "$signed" KQSetup PHelper >/dev/null
  return $fail
}
step "signed build (throwaway certificate)" signing

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
      # The signed KQSetup.exe installs, and the helper it runs is the signed PHelper.exe.
      KQ_SCREENSHOT_PREFIX="signed-$world-" KQ_PROGRAM_FOLDER="$signed/bin" step \
        "end-to-end: the signed build installs, $world world" ctest --test-dir "$build/i686" --output-on-failure \
        -L e2e -R '^Detection\.AUsbInstallEndsWithThePrinterRecordsAndTheHelperRun$'

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
