#!/usr/bin/env bash
# run-fuzzers.sh [FUZZ_BUILD_DIR]: runs every fuzz_* program of the fuzz build for
# KF_FUZZ_SECONDS (default 30) over a scratch copy of its seeds in
# tests/fuzz/corpus/<name without fuzz_>/ (the checked-in corpus is never written).
# Fails if any fuzzer crashes, leaks, times out on an input or runs out of memory.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/fuzz}"
seconds="${KF_FUZZ_SECONDS:-30}"
work="$build/fuzz-run"

shopt -s nullglob
fuzzers=("$build"/bin/fuzz_*)
if ((${#fuzzers[@]} == 0)); then
    echo "run-fuzzers: no fuzz_* programs in $build/bin"
    exit 0
fi

rm -rf "$work"
failed=0
ran=0
for exe in "${fuzzers[@]}"; do
    [ -x "$exe" ] || continue
    name="$(basename "$exe")"
    short="${name#fuzz_}"
    corpus="$work/$short/corpus"
    artifacts="$work/$short/artifacts"
    log="$work/$short/log.txt"
    mkdir -p "$corpus" "$artifacts"
    if [ -d "$root/tests/fuzz/corpus/$short" ]; then
        cp -r "$root/tests/fuzz/corpus/$short/." "$corpus/"
    fi
    seeds=$(find "$corpus" -type f | wc -l)
    ran=$((ran + 1))
    if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" >"$log" 2>&1 </dev/null; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
        echo "run-fuzzers: $name ok (${runs:-?} runs in ${seconds} s, $seeds seeds)"
    else
        failed=$((failed + 1))
        echo "run-fuzzers: $name FAILED; last lines of $log:"
        tail -n 60 "$log"
        for a in "$artifacts"/*; do
            echo "run-fuzzers: crashing input $a ($(stat -c %s "$a") bytes)"
        done
    fi
done
echo "run-fuzzers: $ran fuzzers, $failed failed"
[ "$failed" -eq 0 ]
