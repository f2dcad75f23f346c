#!/usr/bin/env bash
# build-bench.sh [CORPUS...]: the whole setup build (`kftool build`, directory image
# mode) of the bench corpora (bench/MakeCorpus.cpp: "mixed", ~150 MB in 2,000 files;
# "many", 20,000 files of 1-8 KiB; default both) against, in the same run and on the
# same files,
#   - raw zlib level 9 streaming of every file (bench/ZlibCeiling.cpp: the format's
#     one-core ceiling), and
#   - NSIS (makensis, SetCompressor zlib, bench/nsis/bench.nsi).
# kftool runs with -j1 and with -jN (N = cores) and must give the same bytes both ways.
# Medians of KF_BENCH_RUNS runs (default 3). Not a test. Work files go to
# KF_BENCH_DIR/build (default build/bench/build); the corpora are made once and reused.
#   KFTOOL       kftool to measure (default build/native/bin/kftool)
#   KF_BENCH_BIN the bench programs make_corpus and zlib_ceiling (default build/native/bin)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${KF_BENCH_BIN:-$root/build/native/bin}"
work="${KF_BENCH_DIR:-$root/build/bench}/build"
runs="${KF_BENCH_RUNS:-3}"
kftool="${KFTOOL:-$root/build/native/bin/kftool}"
jobs="$(nproc)"
corpus="$work/corpus"
mkdir -p "$work"
kftool="$(cd "$(dirname "$kftool")" && pwd)/$(basename "$kftool")"

[ -x "$kftool" ] || { echo "build-bench: $kftool is missing; run make first" >&2; exit 1; }
command -v makensis >/dev/null || { echo "build-bench: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
for program in make_corpus zlib_ceiling; do
    [ -x "$bin/$program" ] || { echo "build-bench: $bin/$program is missing; run make bench" >&2; exit 1; }
done

calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
TIMEFORMAT='%R %U %S'

bench() {
    local name="$1"
    if [ ! -s "$corpus/$name.list" ]; then
        echo "build-bench: making the $name corpus in $corpus"
        "$bin/make_corpus" "$corpus" "$name" >"$work/corpus-$name.log"
    fi
    local files bytes
    files=$(wc -l <"$corpus/$name.list")
    bytes=$(xargs -d '\n' stat -c %s <"$corpus/$name.list" | awk '{s += $1} END {print s}')
    echo
    echo "== $name: $files files, $bytes bytes ($corpus/$name) =="

    # The same tree for NSIS.
    local nsis_args=("-DCORPUS=$name" "-DCORPUS_DIR=$corpus/$name" "-DOUTFILE=$work/nsis-$name-zlib.exe")

    # The installation script: the corpus as directory image, no main executable.
    rm -f "$work/$name.kfs"
    "$kftool" script set "$work/$name.kfs" "TITLE=KF bench $name" ADDDIR=1 ADDDIRTEXT="corpus/$name" \
        INCLUDEMAINEXE=0 ICONUNINSTALL=0 >/dev/null

    # Every side takes its turn in each round, so that load from elsewhere on the
    # machine falls on all alike. CPU time (user + system) is shown beside wall time.
    echo "raw zlib-9, kftool -j1, kftool -j$jobs and makensis, taking turns ($runs rounds)..."
    local side
    for side in raw j1 jN nsis; do : >"$work/$name-$side.times"; done
    for ((i = 0; i < runs; i++)); do
        "$bin/zlib_ceiling" -r 1 "$corpus/$name.list" "$work/raw.out" >"$work/raw.log"
        sed -n 's/^RESULT .*out_bytes=\([0-9]*\).*deflate_wall_s=\([0-9.]*\) deflate_cpu_s=\([0-9.]*\).*/\2 \3 \1/p' \
            "$work/raw.log" | awk '{print $1, $2, 0, $3}' >>"$work/$name-raw.times"
        rm -f "$work/raw.out"
        { time "$kftool" build -C "$work" -j1 "$work/$name.kfs" "$work/$name-j1.exe" >/dev/null; } \
            2>>"$work/$name-j1.times"
        { time "$kftool" build -C "$work" -j"$jobs" "$work/$name.kfs" "$work/$name-jN.exe" >/dev/null; } \
            2>>"$work/$name-jN.times"
        { time makensis -V1 "${nsis_args[@]}" "$root/bench/nsis/bench.nsi" >"$work/nsis.log"; } 2>>"$work/$name-nsis.times"
    done
    cmp "$work/$name-j1.exe" "$work/$name-jN.exe" || { echo "build-bench: -j1 and -j$jobs differ" >&2; exit 1; }
    "$kftool" verify "$work/$name-jN.exe" >/dev/null

    local raw raw_cpu raw_out j1 j1_cpu jn jn_cpu nsis nsis_cpu kf_out nsis_out
    raw=$(cut -d' ' -f1 "$work/$name-raw.times" | median)
    raw_cpu=$(cut -d' ' -f2 "$work/$name-raw.times" | median)
    raw_out=$(head -n1 "$work/$name-raw.times" | cut -d' ' -f4)
    j1=$(cut -d' ' -f1 "$work/$name-j1.times" | median)
    j1_cpu=$(awk '{print $2 + $3}' "$work/$name-j1.times" | median)
    jn=$(cut -d' ' -f1 "$work/$name-jN.times" | median)
    jn_cpu=$(awk '{print $2 + $3}' "$work/$name-jN.times" | median)
    nsis=$(cut -d' ' -f1 "$work/$name-nsis.times" | median)
    nsis_cpu=$(awk '{print $2 + $3}' "$work/$name-nsis.times" | median)
    kf_out=$(stat -c %s "$work/$name-jN.exe")
    nsis_out=$(stat -c %s "$work/nsis-$name-zlib.exe")

    printf '%-22s %9s %9s %14s %12s\n' "" "wall (s)" "cpu (s)" "output (B)" "raw / wall"
    printf '%-22s %9.2f %9.2f %14d %12s\n' "raw zlib-9 deflate" "$raw" "$raw_cpu" "$raw_out" "1.00"
    printf '%-22s %9.2f %9.2f %14d %12.2f\n' "kftool build -j1" "$j1" "$j1_cpu" "$kf_out" "$(calc "$raw / $j1")"
    printf '%-22s %9.2f %9.2f %14d %12.2f\n' "kftool build -j$jobs" "$jn" "$jn_cpu" "$kf_out" "$(calc "$raw / $jn")"
    printf '%-22s %9.2f %9.2f %14d %12.2f\n' "makensis (zlib)" "$nsis" "$nsis_cpu" "$nsis_out" "$(calc "$raw / $nsis")"
    printf 'kftool build -j%d: %.2f x faster than the ceiling, %.2f x faster than makensis; -j1 and -j%d identical\n' \
        "$jobs" "$(calc "$raw / $jn")" "$(calc "$nsis / $jn")" "$jobs"
}

for name in "${@:-mixed many}"; do
    for n in $name; do bench "$n"; done
done
