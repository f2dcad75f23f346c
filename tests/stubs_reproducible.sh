#!/usr/bin/env bash
# stubs_reproducible.sh SOURCE_DIR INSTALLER UNINSTALLER: builds both stubs again in a
# fresh build tree at another path and requires the same bytes as the given files.
# Every setup executable carries the stubs, so reproducible setups need this.
set -euo pipefail
src="$1" installer="$2" uninstaller="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -Wno-dev -S "$src" -B "$work/tree" -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF \
      "-DCMAKE_TOOLCHAIN_FILE=$src/cmake/mingw-i686.cmake" >"$work/configure.log" ||
    { cat "$work/configure.log"; exit 1; }
cmake --build "$work/tree" --target installer_stub uninstaller_stub -j2 >"$work/build.log" ||
    { tail -n 30 "$work/build.log"; exit 1; }
status=0
for pair in "$installer:installer.exe" "$uninstaller:uninstall.exe"; do
    first="${pair%:*}" second="$work/tree/bin/${pair##*:}"
    if cmp "$first" "$second"; then
        echo "${pair##*:}: $(stat -c %s "$first") bytes, identical"
    else
        status=1
    fi
done
exit "$status"
