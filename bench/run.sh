#!/usr/bin/env bash
# Kitforge benchmarks (not tests): the archive against raw zlib, then the whole build and
# install against raw zlib and NSIS. Everything they run is in bench/: the corpora
# (make_corpus), the zlib ceiling (zlib_ceiling) and the NSIS script. `make bench` runs
# this after building the programs. Work files go to build/bench (KF_BENCH_DIR overrides).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${KF_BENCH_DIR:-$root/build/bench}"
mkdir -p "$work/archive"

echo "== archive: TCompressionManager against raw zlib =="
"$root/build/native/bin/archive_bench" -r "${KF_BENCH_RUNS:-3}" "$work/archive"

echo
echo "== build-bench =="
bash "$root/bench/build-bench.sh"

echo
# The install bench runs the product's setups under Wine: where the 32-bit Wine cannot
# run, it is skipped unless KF_BENCH_ARCH=win64 asks for both sides 64-bit.
if [ "${KF_BENCH_ARCH:-win32}" = win64 ] || (source "$root/scripts/wine-env.sh" && kf_wine_runs); then
    echo "== install-bench =="
    bash "$root/bench/install-bench.sh"
else
    echo "== install-bench: skipped ($(source "$root/scripts/wine-env.sh" && kf_wine_why_not));" \
        "KF_BENCH_ARCH=win64 after make win64 measures both sides 64-bit =="
fi
