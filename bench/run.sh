#!/usr/bin/env bash
# Kitforge benchmarks (not tests): the archive against raw zlib, then, where present,
# the whole build and install against raw zlib and NSIS. `make bench` runs this after
# building everything. Work files go to build/bench (KF_BENCH_DIR overrides).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${KF_BENCH_DIR:-$root/build/bench}"
mkdir -p "$work/archive"

echo "== archive: TCompressionManager against raw zlib =="
"$root/build/native/bin/archive_bench" -r "${KF_BENCH_RUNS:-3}" "$work/archive"

for extra in build-bench.sh install-bench.sh; do
    if [ -f "$root/bench/$extra" ]; then
        echo
        echo "== ${extra%.sh} =="
        bash "$root/bench/$extra"
    fi
done
