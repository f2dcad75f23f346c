#!/usr/bin/env bash
# build_cross_identical.sh KFTOOL WIN_KFTOOL WINE_RUN: builds one tree with the native
# kftool and with the Windows kftool.exe under Wine (which takes its stubs from its own
# resources, as the builder does) and requires byte-identical setup executables, and the
# same again from a second native run. Exit 77 (skipped) when there is no Windows build
# or Wine cannot run.
# Western-European names and title: the native kftool writes them in code page 1252,
# as kftool.exe does on a Western Windows (and under Wine in the C locale).
set -euo pipefail
kftool="$1" win_kftool="$2" wine_run="$3"
if [ ! -x "$win_kftool" ]; then
    echo "build_cross_identical: no Windows kftool at $win_kftool; skipped"
    exit 77
fi
if ! (source "$(dirname "$wine_run")/wine-env.sh" && kf_wine_runs); then
    echo "build_cross_identical: Wine cannot run here (no 32-bit programs); skipped"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p tree/app/lang tree/app/docs/empty
head -c 200000 /dev/urandom >tree/app/Tool.exe
printf 'help\r\n' >tree/app/Help.txt
printf 'de\r\n' >tree/app/lang/de.ini
printf 'fr\r\n' >tree/app/lang/fr.ini
printf 'hidden\r\n' >tree/app/.settings
seq 1 20000 >tree/app/docs/numbers.txt
printf '{\\rtf1 licence}' >tree/licence.rtf
printf 'read me\r\n' >tree/readme.txt
head -c 1000 /dev/urandom >tree/wizard.bmp
# In one folder, so that their listing order counts too.
mkdir -p tree/app/Übersicht
for name in Résumé.txt éclair.txt ßeta.txt Æther.txt über.txt Eagle.txt Zed.txt Übersicht/Maß.txt; do
    printf '%s\r\n' "$name" >"tree/app/$name"
done

common=("TITLE=Café Tool" "DIR=Café Tool" ADDDIR=1 ADDDIRTEXT=app LICENSE=licence.rtf
        README=readme.txt IMAGE=wizard.bmp COLORTOP=9 BROWSEDISABLE=1)
"$kftool" script set native.kfs "${common[@]}" MAIN=app/Tool.exe >/dev/null
"$kftool" script set win.kfs "${common[@]}" 'MAIN=app\Tool.exe' >/dev/null

"$kftool" build -C tree native.kfs native.exe
"$kftool" build -C tree native.kfs native2.exe
"$wine_run" "$win_kftool" build -C "Z:$work/tree" "Z:$work/win.kfs" "Z:$work/win.exe"

"$kftool" verify native.exe
cmp native.exe native2.exe
cmp native.exe win.exe
echo "build_cross_identical: $(stat -c %s native.exe) bytes, identical on both hosts"
