#!/usr/bin/env bash
# build-bench.sh: the whole setup build (`kftool build`, directory image mode) of the
# ~150 MB "mixed" corpus against, in the same run and on the same files,
#   - raw zlib level 9 streaming of every file (shared/bench/zlib_limit.c: the format's
#     one-core ceiling; target: build wall time <= 1.05 x raw deflate wall time), and
#   - NSIS (makensis, SetCompressor zlib, shared/bench/nsis/mixed-zlib.nsi).
# Medians of KF_BENCH_RUNS runs (default 3). Not a test. Work files go to
# KF_BENCH_DIR/build (default build/bench/build); the corpus is made once and reused.
#   KFTOOL       kftool to measure (default build/native/bin/kftool)
#   KF_SHARED    the shared folder with bench/ (default ../shared beside the repo)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
shared="${KF_SHARED:-$root/../shared}"
work="${KF_BENCH_DIR:-$root/build/bench}/build"
runs="${KF_BENCH_RUNS:-3}"
kftool="${KFTOOL:-$root/build/native/bin/kftool}"
corpus="$work/corpus"
mkdir -p "$work"
kftool="$(cd "$(dirname "$kftool")" && pwd)/$(basename "$kftool")"

[ -x "$kftool" ] || { echo "build-bench: $kftool is missing; run make first" >&2; exit 1; }
command -v makensis >/dev/null || { echo "build-bench: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }

if [ ! -s "$corpus/mixed.list" ]; then
    echo "build-bench: making the mixed corpus in $corpus"
    bash "$shared/bench/make-corpus.sh" "$corpus" mixed >"$work/corpus.log"
fi
files=$(wc -l <"$corpus/mixed.list")
bytes=$(xargs -d '\n' stat -c %s <"$corpus/mixed.list" | awk '{s += $1} END {print s}')
echo "corpus: $files files, $bytes bytes ($corpus/mixed)"

cc -O2 -o "$work/zlib_limit" "$shared/bench/zlib_limit.c" -lz

# The same tree for NSIS: the shared script with this run's paths.
sed -e "s|^!define CORPUS_DIR .*|!define CORPUS_DIR $corpus/mixed|" \
    -e "s|^!define OUTFILE .*|!define OUTFILE $work/nsis-mixed-zlib.exe|" \
    -e "s|^!include \"kf-common.nsh\"|!include \"$shared/bench/nsis/kf-common.nsh\"|" \
    "$shared/bench/nsis/mixed-zlib.nsi" >"$work/mixed-zlib.nsi"

# The installation script: the corpus as directory image, no main executable.
rm -f "$work/bench.kfs"
"$kftool" script set "$work/bench.kfs" "TITLE=KF bench mixed" ADDDIR=1 ADDDIRTEXT=corpus/mixed \
    INCLUDEMAINEXE=0 ICONUNINSTALL=0 >/dev/null

calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Raw zlib and kftool take turns, so that load from elsewhere on the machine falls on
# both alike. CPU time (user + system) is shown beside wall time for the same reason.
echo "raw zlib-9 streaming and kftool build, alternating ($runs runs each)..."
: >"$work/raw.times"
: >"$work/kftool.times"
TIMEFORMAT='%R %U %S'
for ((i = 0; i < runs; i++)); do
    "$work/zlib_limit" -r 1 "$corpus/mixed.list" "$work/raw.out" >"$work/raw.log"
    sed -n 's/^RESULT .*out_bytes=\([0-9]*\).*deflate_wall_s=\([0-9.]*\) deflate_cpu_s=\([0-9.]*\).*/\2 \3 \1/p' \
        "$work/raw.log" >>"$work/raw.times"
    rm -f "$work/raw.out"
    { time "$kftool" build -C "$work" "$work/bench.kfs" "$work/KFBenchSetup.exe" >"$work/kftool.log"; } \
        2>>"$work/kftool.times"
done
raw=$(cut -d' ' -f1 "$work/raw.times" | median)
raw_cpu=$(cut -d' ' -f2 "$work/raw.times" | median)
raw_out=$(head -n1 "$work/raw.times" | cut -d' ' -f3)
kf=$(cut -d' ' -f1 "$work/kftool.times" | median)
kf_cpu=$(awk '{print $2 + $3}' "$work/kftool.times" | median)
kf_out=$(stat -c %s "$work/KFBenchSetup.exe")
"$kftool" verify "$work/KFBenchSetup.exe" >/dev/null

echo "makensis zlib ($runs runs)..."
: >"$work/nsis.times"
for ((i = 0; i < runs; i++)); do
    { time makensis -V1 "$work/mixed-zlib.nsi" >"$work/nsis.log"; } 2>>"$work/nsis.times"
done
nsis=$(cut -d' ' -f1 "$work/nsis.times" | median)
nsis_cpu=$(awk '{print $2 + $3}' "$work/nsis.times" | median)
nsis_out=$(stat -c %s "$work/nsis-mixed-zlib.exe")

echo
printf '%-22s %9s %9s %14s %12s\n' "" "wall (s)" "cpu (s)" "output (B)" "wall vs raw"
printf '%-22s %9.2f %9.2f %14d %12s\n' "raw zlib-9 deflate" "$raw" "$raw_cpu" "$raw_out" "1.000"
printf '%-22s %9.2f %9.2f %14d %12.3f\n' "kftool build" "$kf" "$kf_cpu" "$kf_out" "$(calc "$kf / $raw")"
printf '%-22s %9.2f %9.2f %14d %12.3f\n' "makensis (zlib)" "$nsis" "$nsis_cpu" "$nsis_out" "$(calc "$nsis / $raw")"
printf 'kftool build / makensis: time %.3f, size %.3f\n' "$(calc "$kf / $nsis")" \
    "$(calc "$kf_out / $nsis_out")"
ok=$(calc "($kf <= 1.05 * $raw) ? 1 : 0")
if [ "$ok" -eq 1 ]; then
    echo "target kftool build <= 1.05 x raw: met"
else
    echo "target kftool build <= 1.05 x raw: MISSED"
fi
