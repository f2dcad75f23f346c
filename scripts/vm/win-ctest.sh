#!/usr/bin/env bash
# win-ctest.sh [CTEST_ARGS...]: the guest's side of the win-vm step: the 32-bit Windows
# suite of build/win, run as the win step runs it where Wine runs natively, with every
# test's time limit KF_TEST_TIME_SCALE (default 6) times longer: the emulated guest runs
# Wine's process starts 5-20 times slower, more while the host's cores are busy.
# KF_WIN_BUILD picks another build tree of the 32-bit programs (default build/win).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"
scale="${KF_TEST_TIME_SCALE:-6}"
export KF_TEST_TIME_SCALE="$scale" KF_WINE_TIMEOUT=$((300 * scale))
echo "win-ctest: $(uname -srm), $(nproc) CPUs, $(/usr/lib/wine/wine --version), time limits x$scale"
exec scripts/with-xvfb.sh scripts/wine-ctest.sh "${KF_WIN_BUILD:-build/win}" --timeout $((300 * scale)) "$@"
