#!/usr/bin/env bash
# screenshots-installer.sh [SETUP.exe] [BUILD_DIR]: captures the installer's background
# and wizard pages (welcome, licence, location, installing, complete) into
# docs/installer-*.png. Runs the setup (default out/DemoToolSetup.exe, made by
# `make demo`) under Wine on a private Xvfb display, in a Wine prefix of its own, and
# drives it with kfdriver.exe of BUILD_DIR (default build/win).
set -euo pipefail
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

(timeout 120 wine "$setup" || true) &
driver wait "$title" 60000
driver wait-control "$title" "Welcome to" 20000
sleep 1
import -window root "$root/docs/installer-0-background.png"
echo "screenshots-installer: docs/installer-0-background.png"
shot installer-1-welcome.png
driver click "$title" "&Next >>"
driver wait-control "$title" "If you agree" 10000
sleep 0.5
shot installer-2-licence.png
driver click "$title" "&Yes"
driver wait-control "$title" "Please select the location" 10000
sleep 0.5
shot installer-3-location.png
driver click "$title" "&Next >>"
# The copy of a small program is over in a blink: best effort.
if driver wait-control "$title" "Extracting" 3000; then
    shot installer-4-installing.png || true
fi
driver wait-control "$title" "Installation of" 30000
sleep 0.5
shot installer-5-complete.png
driver click "$title" "&Finish"
driver gone "$title" 20000 || true
wait
