#!/usr/bin/env bash
# wine-ctest.sh BUILD_DIR [CTEST_ARGS...]: runs CTest of the Windows build with one
# persistent wineserver for the whole run, so tests neither pay for nor race with
# server start-up and shut-down. Run it under with-xvfb.sh for GUI tests.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: wine-ctest.sh BUILD_DIR [CTEST_ARGS...]" >&2
    exit 2
fi
build_dir="$1"
shift
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
# Every run starts from a fresh prefix state (and without a server left over from an
# interrupted run). KF_WINE_KEEP_STATE=1 keeps what earlier runs left, for debugging.
if [ "${KF_WINE_KEEP_STATE:-0}" = 1 ]; then
    kf_wine_prefix_init
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
else
    kf_wine_prefix_reset
fi
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first Wine process starts the prefix's services, which live as long as the
# server and keep the stdout they inherited. Start them here on /dev/null, or CTest
# would wait on the first test's output pipe until the end of the run.
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
set +e
ctest --test-dir "$build_dir" "$@"
rc=$?
set -e
exit "$rc"
