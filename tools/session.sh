# Sourced by the test, demo and benchmark scripts: builds the Windows targets and gives the run a
# virtual display and throwaway Wine prefixes, all ended again when the script exits.
#   kq_build_windows BUILD_DIR         the shipped i686 executables with their tests and tools; the
#                                      64-bit printui.dll stand-in and KQSetup.exe
#   kq_build_shipped DIR               KQSetup.exe and PHelper.exe alone (i686), in DIR
#   kq_start_display                   Xvfb on a free display (unless KQ_KEEP_DISPLAY and $DISPLAY)
#   kq_make_world WORLD PREFIX         a fresh prefix of that world (tools/wine-env.sh)
#   kq_make_worlds "WORLD PREFIX" ...  several, made side by side
#   kq_use_world WORLD PREFIX          points Wine and the tests at that prefix

# Only the shipped executables, i686 (KQSetup.exe with PHelper.exe inside), in BUILD_DIR itself:
# for the reproducibility check and the signed build. The signing variables of the environment
# apply (cmake/signing.cmake).
kq_build_shipped() {
  local dir="$1"
  cmake --no-warn-unused-cli -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$dir" KQSetup PHelper >/dev/null
}

kq_build_windows() {
  local build="$1"
  cmake --no-warn-unused-cli -S . -B "$build/i686" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$build/i686" >/dev/null
  # On 64-bit Windows the native printui.dll is 64-bit: its stand-in comes from this build, and
  # the program itself is built for 64-bit too, so that it stays 64-bit clean (nothing runs it).
  cmake --no-warn-unused-cli -S . -B "$build/x86_64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$build/x86_64" printui KQSetup >/dev/null
}

kq_session_tmp=""
kq_session_xvfb=""
kq_session_prefixes=()

kq_end_session() {
  local prefix
  for prefix in "${kq_session_prefixes[@]}"; do
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  done
  [ -n "$kq_session_xvfb" ] && kill "$kq_session_xvfb" >/dev/null 2>&1 || true
  [ -n "$kq_session_tmp" ] && rm -rf "$kq_session_tmp"
  return 0
}

kq_start_display() {
  kq_session_tmp=$(mktemp -d)
  trap kq_end_session EXIT
  if [ -z "${KQ_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    # Large enough for the wizard at 250 % (1362 x 888 pixels): a window reaching beyond the
    # screen cannot be captured for its screenshot.
    Xvfb -displayfd 7 -screen 0 1920x1200x24 -nolisten tcp 7>"$kq_session_tmp/display" >/dev/null 2>&1 &
    kq_session_xvfb=$!
    for _ in $(seq 100); do [ -s "$kq_session_tmp/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$kq_session_tmp/display")"
  fi
}

kq_make_world() {
  local world="$1" prefix="$2"
  kq_session_prefixes+=("$prefix")
  "$root/tools/wine-prefix.sh" "$prefix" "$world" "$build/i686" "$build/x86_64"
}

# Several worlds side by side: kq_make_worlds "WORLD PREFIX" ...
kq_make_worlds() {
  local world_and_prefix world prefix pids=() status=0
  for world_and_prefix in "$@"; do
    read -r world prefix <<<"$world_and_prefix"
    kq_session_prefixes+=("$prefix")
    "$root/tools/wine-prefix.sh" "$prefix" "$world" "$build/i686" "$build/x86_64" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
  return $status
}

kq_use_world() {
  KQ_WORLD="$1"
  . "$root/tools/wine-env.sh"
  export WINEPREFIX="$2" KQ_WINEPREFIX="$2"
}
