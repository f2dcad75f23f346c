#!/usr/bin/env bash
# build_parallel_identical.sh KFTOOL SOURCE_DIR: builds the demo script and a generated
# tree with kftool build -j1 and -j4 and requires byte-identical setup executables.
set -euo pipefail
kftool="$1" src="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The demo as scripts/demo.sh stages it, with stand-ins for the built program and the
# drawn bitmap.
mkdir -p "$work/demo/app"
cp -R "$src/examples/demo/app/." "$work/demo/app/"
head -c 150000 /dev/urandom >"$work/demo/app/DemoTool.exe"
cp "$src/examples/demo/readme.txt" "$src/examples/demo/licence.rtf" "$work/demo/"
head -c 119000 /dev/urandom >"$work/demo/wizard.bmp"

# A tree of many small files, chunk-edge sizes, an empty file and two larger ones.
mkdir -p "$work/tree/app/small" "$work/tree/app/big"
for i in $(seq 1 300); do
    head -c $((i * 37)) /dev/urandom >"$work/tree/app/small/f$i.bin"
    seq 1 $((i * 20)) >"$work/tree/app/small/t$i.txt"
done
: >"$work/tree/app/empty"
head -c 65535 /dev/urandom >"$work/tree/app/big/edge1"
head -c 65536 /dev/urandom >"$work/tree/app/big/edge2"
head -c 3000000 /dev/urandom >"$work/tree/app/big/noise"
seq 1 600000 >"$work/tree/app/big/numbers.txt"
"$kftool" script set "$work/tree.kfs" "TITLE=Tree" ADDDIR=1 ADDDIRTEXT=app MAIN=app/empty >/dev/null

status=0
for case in "demo:$src/examples/demo/DemoTool.kfs" "tree:$work/tree.kfs"; do
    name="${case%%:*}" script="${case#*:}"
    dir="$work/$name"
    "$kftool" build -C "$dir" -j1 "$script" "$work/$name-j1.exe" >/dev/null
    "$kftool" build -C "$dir" -j4 "$script" "$work/$name-j4.exe" >/dev/null
    if cmp "$work/$name-j1.exe" "$work/$name-j4.exe"; then
        echo "$name: $(stat -c %s "$work/$name-j1.exe") bytes, identical with -j1 and -j4"
    else
        status=1
    fi
done
exit "$status"
