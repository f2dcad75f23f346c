#!/usr/bin/env bash
# screenshots-uninstaller.sh [BUILD_DIR]: captures the uninstaller's three pages
# (welcome, removing, complete with the error list open) into docs/uninstaller-*.png.
# Runs the real uninstall.exe of BUILD_DIR (default build/win) under Wine on a private
# Xvfb display, in a Wine prefix of its own, on a demo installation made here; the
# pages are driven with kfdriver.exe from the same build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
for exe in uninstall.exe kfdriver.exe; do
    if [ ! -f "$build/bin/$exe" ]; then
        echo "screenshots-uninstaller: $build/bin/$exe is missing; run make win" >&2
        exit 1
    fi
done
if [ -z "${KF_SHOTS_ON_XVFB:-}" ]; then
    KF_SHOTS_ON_XVFB=1 exec "$root/scripts/with-xvfb.sh" "$0" "$build"
fi

# A prefix of its own: the wineserver is ended at the end without touching test runs.
export KF_WINEPREFIX="$root/build/wineprefix-screenshots"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p

title="Demo Tool"
win_dir='C:\kf-shots\Demo Tool'
unix_dir="$WINEPREFIX/drive_c/kf-shots/Demo Tool"
rm -rf "$WINEPREFIX/drive_c/kf-shots"
mkdir -p "$unix_dir/data"
cp "$build/bin/uninstall.exe" "$unix_dir/"

# Enough files that the removing page stays up for the capture; two entries that name
# missing files fill the error list of the complete page.
count=3000
{
    printf '%s\r\n' "#######################################################" \
        "# Kitforge Uninstall Log File                         #" \
        "#######################################################"
    printf 'Title: %s\r\n' "$title"
    printf 'Directory: kf-shots\\Demo Tool;%s\r\n' "$win_dir"
    printf 'File: %s\\uninstall.log\r\nFile: %s\\uninstall.exe\r\n' "$win_dir" "$win_dir"
    printf 'File: %s\\readme.txt\r\nFile: %s\\help.chm\r\n' "$win_dir" "$win_dir"
    printf 'Directory: data\\;%s\\data\\\r\n' "$win_dir"
    for i in $(seq "$count"); do
        printf 'File: %s\\data\\part%04d.dat\r\n' "$win_dir" "$i"
    done
} >"$unix_dir/uninstall.log"
(cd "$unix_dir/data" && seq -f 'part%04g.dat' "$count" | xargs touch)

driver() { timeout 60 wine "$build/bin/kfdriver.exe" "$@"; }
caption="Uninstall $title"
mkdir -p "$root/docs"
shot() {
    local rect
    read -r -a rect < <(driver rect "$caption" | tr -d '\r')
    import -window root -crop "${rect[2]}x${rect[3]}+${rect[0]}+${rect[1]}" +repage "$root/docs/$1"
    echo "screenshots-uninstaller: docs/$1"
}

(cd "$unix_dir" && timeout 120 wine "$win_dir\\uninstall.exe") &
driver wait "$caption" 60000
driver wait-control "$caption" "Welcome to Uninstall" 10000
sleep 1
shot uninstaller-1-welcome.png

driver click "$caption" "&Next >>"
driver wait-control "$caption" "Removing file" 20000
sleep 0.3
shot uninstaller-2-removing.png

driver wait-control "$caption" "This program has completed" 120000
driver click "$caption" "More Information >>"
sleep 1
shot uninstaller-3-complete.png
driver click "$caption" "Finish"
driver gone "$caption" 20000
wait
