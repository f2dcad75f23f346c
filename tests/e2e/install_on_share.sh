#!/usr/bin/env bash
# install_on_share.sh TEST_EXE: runs the network-share install test with a share that
# Wine serves from the prefix (dosdevices/unc/SERVER/SHARE is \\SERVER\SHARE).
set -uo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init || exit 1
share="$WINEPREFIX/dosdevices/unc/kfserver/share"
mkdir -p "$share" || exit 1
trap 'rm -rf "$WINEPREFIX/dosdevices/unc/kfserver"' EXIT
KF_E2E_SHARE='\\kfserver\share' timeout --kill-after=10 "${KF_WINE_TIMEOUT:-300}" \
    wine "$test_exe" --gtest_color=no --gtest_filter=Silent.InstallOnANetworkShare </dev/null
