#!/usr/bin/env bash
# demo.sh: builds the Demo Tool example from source and packs it, with kftool build, into
# out/DemoToolSetup.exe. Run through `make demo`, which builds kftool first.
#   KFTOOL  the kftool to use (default build/native/bin/kftool)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
kftool="${KFTOOL:-build/native/bin/kftool}"
if [ ! -x "$kftool" ]; then
    echo "demo: $kftool is missing; run make first" >&2
    exit 1
fi

echo "demo: building Demo Tool (examples/demo) into build/win/demo"
cmake -Wno-dev -S examples/demo -B build/win/demo -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >build/demo-configure.log 2>&1 ||
    { cat build/demo-configure.log >&2; exit 1; }
cmake --build build/win/demo

# The staging folder holds what the script names, relative to it: the directory image
# app/ with the program, and the documents beside it.
stage=build/demo
rm -rf "$stage"
mkdir -p "$stage/app"
cp -R examples/demo/app/. "$stage/app/"
cp build/win/demo/DemoTool.exe "$stage/app/"
cp examples/demo/readme.txt examples/demo/licence.rtf "$stage/"
# The wizard bitmap: 153 x 259, 24-bit BMP. Drawn here rather than kept as a binary.
convert -size 153x259 gradient:'#000080'-'#1c6cc8' \
    -fill '#f0c020' -stroke white -strokewidth 3 -draw "roundrectangle 36,60 116,140 10,10" \
    -fill white -stroke none -draw "rectangle 52,84 100,92" -draw "rectangle 52,102 100,110" \
    -draw "rectangle 52,120 84,128" -fill '#f0c020' -draw "polygon 56,190 96,190 76,226" \
    -type TrueColor BMP3:"$stage/wizard.bmp"

mkdir -p out
"$kftool" build -C "$stage" examples/demo/DemoTool.kfs out/DemoToolSetup.exe
"$kftool" verify out/DemoToolSetup.exe
echo
"$kftool" list out/DemoToolSetup.exe
echo
echo "demo: wrote out/DemoToolSetup.exe; run it with:"
echo "  wine out/DemoToolSetup.exe"
