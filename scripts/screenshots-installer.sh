#!/usr/bin/env bash
# screenshots-installer.sh [SETUP.exe] [BUILD_DIR]: captures the installer's background
# and wizard pages (welcome, licence, location, complete, then installing) into
# docs/installer-*.png. Runs the setup (default out/DemoToolSetup.exe, made by
# `make demo`) under Wine on a private Xvfb display, in a Wine prefix of its own, and
# drives it with kfdriver.exe of BUILD_DIR (default build/win).
set -euo pipefail
[ -n "${KF_SHOTS_TRACE:-}" ] && set -x
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
setup="$(realpath "${1:-$root/out/DemoToolSetup.exe}")"
build="$(cd "${2:-$root/build/win}" && pwd)"
[ -f "$setup" ] || { echo "screenshots-installer: $setup is missing; run make demo" >&2; exit 1; }
[ -f "$build/bin/kfdriver.exe" ] || { echo "screenshots-installer: $build/bin/kfdriver.exe is missing" >&2; exit 1; }
if [ -z "${KF_SHOTS_ON_XVFB:-}" ]; then
    KF_SHOTS_ON_XVFB=1 exec "$root/scripts/with-xvfb.sh" "$0" "$setup" "$build"
fi

export KF_WINEPREFIX="$root/build/wineprefix-screenshots-installer"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_reset
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p

title="${KF_SHOTS_TITLE:-Demo Tool}"
driver() { timeout 60 wine "$build/bin/kfdriver.exe" "$@"; }
mkdir -p "$root/docs"
shot() {
    local rect
    read -r -a rect < <(driver rect "$title" | tr -d '\r')
    import -window root -crop "${rect[2]}x${rect[3]}+${rect[0]}+${rect[1]}" +repage "$root/docs/$1"
    echo "screenshots-installer: docs/$1"
}
# Presses a wizard button and waits for the page that shows a text.
step() {
    driver click "$title" "$1"
    driver wait-control "$title" "$2" "${3:-10000}"
}

(timeout 120 wine "$setup" || true) &
driver wait "$title" 60000
driver wait-control "$title" "Welcome to" 20000
sleep 1
import -window root "$root/docs/installer-0-background.png"
echo "screenshots-installer: docs/installer-0-background.png"
shot installer-1-welcome.png
step "&Next >>" "If you agree"
sleep 0.5
shot installer-2-licence.png
step "&Yes" "Please select the location"
sleep 0.5
shot installer-3-location.png
step "&Next >>" "Installation of" 30000
sleep 0.5
shot installer-5-complete.png
driver click "$title" "&Finish"
driver gone "$title" 20000 || true
wait

# The demo's copy is over in a blink. The same package with one large sparse file (zeros
# that pack to almost nothing) stays on the installing page long enough to be seen.
stage="$root/build/demo"
kftool="${KFTOOL:-$root/build/native/bin/kftool}"
if [ -d "$stage/app" ] && [ -x "$kftool" ]; then
    # From a clean prefix: the Demo Tool launched by Finish above holds its program open.
    kf_wine_prefix_reset
    wineserver -p
    slow="$root/build/shots-slow"
    rm -rf "$slow"
    cp -R "$stage" "$slow"
    truncate -s 1G "$slow/app/samples/large-sample.dat"
    "$kftool" build -C "$slow" "$root/examples/demo/DemoTool.kfs" "$slow/Setup.exe" >/dev/null
    (timeout 120 wine "$slow/Setup.exe" || true) &
    driver wait "$title" 60000
    step "&Next >>" "If you agree"
    step "&Yes" "Please select the location"
    read -r -a rect < <(driver rect "$title" | tr -d '\r')
    driver click "$title" "&Next >>"
    # Its label and bars are drawn a few times a second; the program is stopped for the
    # picture once the large file is well under way, so that the page holds still.
    target="$WINEPREFIX/drive_c/Program Files/Demo Tool/samples/large-sample.dat"
    for _ in $(seq 1 300); do
        [ "$(stat -c %s "$target" 2>/dev/null || echo 0)" -gt 200000000 ] && break
        sleep 0.02
    done
    sleep 0.3
    pid=$(pgrep -f "shots-slow/Setup.exe" | tail -1)
    kill -STOP "$pid"
    import -window root -crop "${rect[2]}x${rect[3]}+${rect[0]}+${rect[1]}" +repage "$root/docs/installer-4-installing.png"
    kill -CONT "$pid"
    echo "screenshots-installer: docs/installer-4-installing.png"
    # Cancelled when the copy is still running, else finished; the prefix is reset anyway.
    if driver click "$title" "&Cancel" 2>/dev/null && driver wait "Cancel Installation" 10000; then
        driver click "Cancel Installation" "&Yes" || true
    else
        driver click "$title" "&Finish" || true
    fi
    driver gone "$title" 60000 || true
    wait
    rm -rf "$slow"
else
    echo "screenshots-installer: no installing page without build/demo (make demo)" >&2
fi
