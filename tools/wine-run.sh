#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix (CTest's cross-compiling emulator).
# The prefix and its world come from KQ_WINEPREFIX and KQ_WORLD (set by tools/test.sh); it is
# never the user's ~/.wine.
set -euo pipefail
: "${KQ_WINEPREFIX:?run the tests through tools/test.sh, which makes the test prefix}"
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$KQ_WINEPREFIX"
exec "$KQ_WINE" "$@"
