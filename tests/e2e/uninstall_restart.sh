#!/usr/bin/env bash
# uninstall_restart.sh TEST_EXE: a file held open during a silent uninstall goes at the
# next restart. Runs the gtest before and after `wineboot -r`, which carries out the
# prefix's PendingFileRenameOperations as Windows does at start-up.
set -uo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init || exit 1
run() {
    KF_E2E_RESTART="$1" timeout --kill-after=10 "${KF_WINE_TIMEOUT:-300}" \
        wine "$test_exe" --gtest_color=no --gtest_filter=Silent.FileInUseGoesAtTheNextRestart </dev/null
}
run before || exit 1
# A new wineserver boots the prefix too; under wine-ctest the server stays up and this
# is the restart.
# Quiet: the services a restart starts would keep CTest's output pipe open.
if ! timeout --kill-after=10 300 wineboot -r </dev/null >/dev/null 2>&1; then
    echo "uninstall_restart: wineboot -r failed" >&2
    exit 1
fi
run after
