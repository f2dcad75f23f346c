#!/usr/bin/env bash
# install-bench.sh [mixed|many]: installing a bench corpus (bench/MakeCorpus.cpp) under Wine (default "mixed",
# ~150 MB in 2,000 files; "many" is 20,000 files of 1-8 KiB) silently on both sides, as a
# package manager would (Kitforge: Setup.exe /S /D=C:\dir; NSIS: the same tree packed by
# makensis with SetCompressor zlib from bench/nsis/bench.nsi, /S /D=C:\dir), alternating in the same run, then
# removing it silently (Kitforge: uninstall.exe /S, which returns when the removal is
# done; NSIS: uninst.exe /S _?=C:\dir, which runs in place and waits), and the raw inflate
# ceiling of the archive format (bench/ZlibCeiling.cpp, chunked inflate of every
# file). Medians of KF_BENCH_RUNS runs (default 3). Not a test.
#   KFTOOL     kftool to build with (default build/native/bin/kftool)
#   KF_BUILD   Windows build (default build/win)
#   KF_BENCH_BIN  the bench programs make_corpus and zlib_ceiling (default build/native/bin)
#   KF_BENCH_RAM=1  install to a Wine drive R: on /dev/shm instead of C:, so that the
#              host disk's own noise (journal, discards after the uninstall) drops out
#              and what remains is each installer's and Wine's work
#   KF_BENCH_PREFIX  Wine prefix to use (default build/wineprefix-bench, -bench64)
#   KF_BENCH_ARCH=win64  both sides built 64-bit (Kitforge's 64-bit test build, KF_BUILD
#              default build/win64, and NSIS's amd64-unicode target) under the 64-bit
#              Wine: for machines that run no 32-bit code, where the product cannot run
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${KF_BENCH_BIN:-$root/build/native/bin}"
work="${KF_BENCH_DIR:-$root/build/bench}/install"
runs="${KF_BENCH_RUNS:-3}"
kftool="${KFTOOL:-$root/build/native/bin/kftool}"
arch="${KF_BENCH_ARCH:-win32}"
case "$arch" in win32) winbuild="${KF_BUILD:-$root/build/win}" ;; win64) winbuild="${KF_BUILD:-$root/build/win64}" ;;
    *) echo "install-bench: KF_BENCH_ARCH is win32 or win64" >&2; exit 2 ;; esac
winbuild="$(cd "$winbuild" && pwd)"
corpus="$work/corpus"
set_name="${1:-mixed}"
case "$set_name" in mixed | many) ;; *) echo "usage: install-bench.sh [mixed|many]" >&2; exit 2 ;; esac
mkdir -p "$work"
work="$(cd "$work" && pwd)"
kftool="$(cd "$(dirname "$kftool")" && pwd)/$(basename "$kftool")"
[ -x "$kftool" ] || { echo "install-bench: $kftool is missing; run make first" >&2; exit 1; }
command -v makensis >/dev/null || { echo "install-bench: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
for program in make_corpus zlib_ceiling; do
    [ -x "$bin/$program" ] || { echo "install-bench: $bin/$program is missing; run make bench" >&2; exit 1; }
done
# No window is expected, but Wine wants a display all the same.
if [ -z "${KF_BENCH_ON_XVFB:-}" ]; then
    KF_BENCH_ON_XVFB=1 exec "$root/scripts/with-xvfb.sh" "$0" "$@"
fi

if [ ! -s "$corpus/$set_name.list" ]; then
    echo "install-bench: making the $set_name corpus in $corpus"
    "$bin/make_corpus" "$corpus" "$set_name" >"$work/corpus.log"
fi
bytes=$(xargs -d '\n' stat -c %s <"$corpus/$set_name.list" | awk '{s += $1} END {print s}')
echo "corpus: $(wc -l <"$corpus/$set_name.list") files, $bytes bytes"

# The setups: Kitforge's (directory image, no licence, Browse as is) and NSIS's.
rm -f "$work/bench.kfs"
"$kftool" script set "$work/bench.kfs" "TITLE=KF bench $set_name" "DIR=kf-bench" BASEDIR=3 ADDDIR=1 \
    "ADDDIRTEXT=corpus/$set_name" INCLUDEMAINEXE=0 ICONUNINSTALL=0 >/dev/null
if [ "$arch" = win32 ]; then
    "$kftool" build -C "$work" "$work/bench.kfs" "$work/KFBenchSetup.exe" >/dev/null
fi
nsis_target=()
[ "$arch" = win64 ] && nsis_target=(-XTarget\ amd64-unicode)
makensis -V1 "${nsis_target[@]}" "-DCORPUS=$set_name" "-DCORPUS_DIR=$corpus/$set_name" \
    "-DOUTFILE=$work/nsis-$set_name-zlib.exe" "$root/bench/nsis/bench.nsi" >"$work/nsis.log"

if [ "$arch" = win64 ]; then
    export KF_WINE_ARCH=win64 KF_WINEPREFIX="${KF_BENCH_PREFIX:-$root/build/wineprefix-bench64}"
else
    export KF_WINEPREFIX="${KF_BENCH_PREFIX:-$root/build/wineprefix-bench}"
fi
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
# The 64-bit setup comes from the 64-bit build's kftool, which carries that build's stubs.
if [ "$arch" = win64 ]; then
    wine "$winbuild/bin/kftool.exe" build -C "Z:$work" "Z:$work/bench.kfs" "Z:$work/KFBenchSetup.exe" >/dev/null
fi
echo "setups: Kitforge $(stat -c %s "$work/KFBenchSetup.exe") bytes, NSIS $(stat -c %s "$work/nsis-$set_name-zlib.exe") bytes ($arch)"
drive=C
target_root="$WINEPREFIX/drive_c"
if [ "${KF_BENCH_RAM:-0}" = 1 ]; then
    drive=R
    target_root="/dev/shm/kf-bench-drive"
    rm -rf "$target_root"
    mkdir -p "$target_root"
    ln -sfn "$target_root" "$WINEPREFIX/dosdevices/r:"
    trap 'wineserver -k 2>/dev/null || true; rm -rf "$target_root" "$WINEPREFIX/dosdevices/r:"' EXIT
fi
echo "installing to drive $drive: ($target_root)"
now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# timed FILE CMD...: appends CMD's wall time to FILE; a failing CMD ends the bench.
timed() {
    local out="$1" t0 t1
    shift
    t0=$(now)
    if ! timeout 900 "$@" >/dev/null 2>&1; then
        echo "install-bench: $* failed" >&2
        exit 1
    fi
    t1=$(now)
    calc "$t1 - $t0" >>"$out"
}
for f in kf kf-un nsis nsis-un; do : >"$work/$f.times"; done
for ((i = 0; i < runs; i++)); do
    # Each side's own uninstaller removes its installation before the other side runs:
    # creating files right after many were deleted is slower on ext4, and both pay it.
    sync
    timed "$work/kf.times" wine "$work/KFBenchSetup.exe" /S "/D=$drive:\\kf-bench"
    installed=$(du -sb "$target_root/kf-bench" | cut -f1)
    sync
    timed "$work/kf-un.times" wine "$drive:\\kf-bench\\uninstall.exe" /S
    [ ! -e "$target_root/kf-bench" ] || { echo "install-bench: Kitforge left $drive:\\kf-bench" >&2; exit 1; }
    sync
    timed "$work/nsis.times" wine "$work/nsis-$set_name-zlib.exe" /S "/D=$drive:\\kf-nsis"
    sync
    timed "$work/nsis-un.times" wine "$drive:\\kf-nsis\\uninst.exe" /S "_?=$drive:\\kf-nsis"
    rm -rf "$target_root/kf-nsis"
done
kf=$(median <"$work/kf.times")
kfun=$(median <"$work/kf-un.times")
nsis=$(median <"$work/nsis.times")
nsisun=$(median <"$work/nsis-un.times")

"$bin/zlib_ceiling" -r "$runs" -d 1 "$corpus/$set_name.list" "$work/raw.out" >"$work/raw.log"
rm -f "$work/raw.out"
inflate=$(sed -n 's/^RESULT .*inflate_wall_s=\([0-9.]*\).*/\1/p' "$work/raw.log")

echo
printf '%-34s %9s %12s\n' "" "wall (s)" "vs NSIS"
printf '%-34s %9.2f %12.3f\n' "Kitforge setup /S" "$kf" "$(calc "$kf / $nsis")"
printf '%-34s %9.2f %12.3f\n' "NSIS zlib setup /S" "$nsis" "1.000"
printf '%-34s %9.2f %12.3f\n' "raw chunked inflate (Linux)" "$inflate" "$(calc "$inflate / $nsis")"
printf '%-34s %9.2f %12.3f\n' "Kitforge uninstall.exe /S" "$kfun" "$(calc "$kfun / $nsisun")"
printf '%-34s %9.2f %12.3f\n' "NSIS uninst.exe /S" "$nsisun" "1.000"
echo "installed by Kitforge: $installed bytes"
echo "runs: kf $(tr '\n' ' ' <"$work/kf.times")/ nsis $(tr '\n' ' ' <"$work/nsis.times")"
echo "uninstall runs: kf $(tr '\n' ' ' <"$work/kf-un.times")/ nsis $(tr '\n' ' ' <"$work/nsis-un.times")"
