#!/usr/bin/env bash
# Runs every libFuzzer target of a host build for a bounded time on its committed seed corpus:
#   fuzz.sh HOST_BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$1"
seconds="${2:-15}"
status=0
for target in "$build"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$root/fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 -print_final_stats=0 "$work" >"$work.log" 2>&1; then
    echo "ok   $name ($seconds s)"
  else
    echo "FAIL $name"; tail -n 30 "$work.log"; status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
