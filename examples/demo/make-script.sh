#!/usr/bin/env bash
# Writes DemoTool.kfs, the demo's installation script, with kftool script set. Its paths
# are relative: scripts/demo.sh builds with `kftool build -C <staging folder>`, where
# app/ holds the directory image and the documents lie beside it.
#   usage: examples/demo/make-script.sh [KFTOOL]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kftool="${1:-$here/../../build/native/bin/kftool}"
script="$here/DemoTool.kfs"
rm -f "$script"
"$kftool" script set "$script" \
    "TITLE=Demo Tool" "DIR=Demo Tool" BASEDIR=0 URL=www.example.com \
    MAIN=app/DemoTool.exe INCLUDEMAINEXE=1 LAUNCH=1 DESKTOP=1 \
    ADDFILES=0 ADDDIR=1 ADDDIRTEXT=app \
    "STARTMENU=Demo Tool" "ICONAPPTEXT=Demo Tool" \
    ICONUNINSTALL=1 "ICONUNINSTALLTEXT=Uninstall Demo Tool" \
    ICONWEBSITE=1 "ICONWEBSITETEXT=Demo Tool Website" \
    LICENSE=licence.rtf README=readme.txt IMAGE=wizard.bmp \
    COLORTOP=4 COLORBOTTOM=0 BROWSEDISABLE=0
"$kftool" script show "$script"
