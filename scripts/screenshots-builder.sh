#!/usr/bin/env bash
# screenshots-builder.sh: pictures of Kitforge's seven wizard pages and its wait window,
# as docs/builder-<n>-<page>.png. Runs the window under Wine on a private Xvfb screen
# (no window manager, so Wine draws the frames itself) and captures each view with
# ImageMagick's import when the driver program reports it ready. Needs `make win`.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="${KF_WIN_BUILD:-build/win}"
cmake --build "$build" --target gui_builder_screens >/dev/null
if [ -z "${KF_SCREENSHOTS_INNER:-}" ]; then
    KF_SCREENSHOTS_INNER=1 exec scripts/with-xvfb.sh "$0" "$@"
fi
source scripts/wine-env.sh
kf_wine_prefix_init
hand="$(mktemp -d)"
trap 'rm -rf "$hand"' EXIT
mkdir -p docs
KF_WINE_TIMEOUT=180 scripts/wine-run "$build/bin/gui_builder_screens.exe" "Z:$hand" &
driver=$!
shots=0
while kill -0 "$driver" 2>/dev/null || [ -f "$hand/ready" ]; do
    if [ -f "$hand/ready" ]; then
        read -r step name x y w h <"$hand/ready"
        rm -f "$hand/ready"
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "docs/builder-${step}-${name}.png"
        echo "docs/builder-${step}-${name}.png"
        shots=$((shots + 1))
        touch "$hand/done"
    fi
    sleep 0.1
done
wait "$driver"
[ "$shots" -eq 8 ] || { echo "screenshots-builder: $shots of 8 views captured" >&2; exit 1; }
