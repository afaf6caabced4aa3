# Sourced by the test, demo and benchmark scripts: builds both Windows targets and gives the run a
# virtual display and a throwaway Wine prefix, all ended again when the script exits.
#   kq_build_windows BUILD_DIR           the shipped i686 executables and the whole x86_64 build
#   kq_start_session BUILD_DIR PREFIX    Xvfb on a free display (unless KQ_KEEP_DISPLAY and $DISPLAY) and a fresh prefix

kq_build_windows() {
  local build="$1"
  cmake -S . -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$build/win32" KQSetup PHelper printui >/dev/null
  cmake -S . -B "$build/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$build/win64" >/dev/null
}

kq_session_tmp=""
kq_session_xvfb=""
kq_session_prefix=""

kq_end_session() {
  [ -n "$kq_session_prefix" ] && WINEPREFIX="$kq_session_prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$kq_session_xvfb" ] && kill "$kq_session_xvfb" >/dev/null 2>&1 || true
  [ -n "$kq_session_tmp" ] && rm -rf "$kq_session_tmp"
  return 0
}

kq_start_session() {
  local build="$1"
  kq_session_prefix="$2"
  kq_session_tmp=$(mktemp -d)
  trap kq_end_session EXIT
  if [ -z "${KQ_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$kq_session_tmp/display" >/dev/null 2>&1 &
    kq_session_xvfb=$!
    for _ in $(seq 100); do [ -s "$kq_session_tmp/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$kq_session_tmp/display")"
  fi
  "$root/tools/wine-prefix.sh" "$kq_session_prefix" "$build/win64"
  . "$root/tools/wine-env.sh"
  export WINEPREFIX="$kq_session_prefix" KQ_WINEPREFIX="$kq_session_prefix"
}
