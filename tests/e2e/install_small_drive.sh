#!/usr/bin/env bash
# install_small_drive.sh TEST_EXE [FILTER]: runs the installer's too-little-space test (or
# the gtest FILTER given) with a
# small tmpfs linked into the Wine prefix as a spare drive letter. Needs root (CI runs
# as root); exits 77 (skipped) when the drive cannot be made.
set -uo pipefail
test_exe="$1"
filter="${2:-Install.TooLittleSpace*}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init || exit 1
if [ "$(id -u)" != 0 ]; then
    echo "install_small_drive: not root, no tmpfs can be mounted" >&2
    exit 77
fi
letter=""
for l in s t u v w x y; do
    if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then
        letter=$l
        break
    fi
done
[ -n "$letter" ] || { echo "install_small_drive: no free drive letter" >&2; exit 77; }
mnt="$(mktemp -d)"
if ! mount -t tmpfs -o size=4m kf-small "$mnt"; then
    rmdir "$mnt"
    echo "install_small_drive: mount failed" >&2
    exit 77
fi
link="$WINEPREFIX/dosdevices/$letter:"
cleanup() {
    rm -f "$link"
    umount "$mnt" 2>/dev/null || umount -l "$mnt"
    rmdir "$mnt"
}
trap cleanup EXIT
ln -s "$mnt" "$link"
KF_E2E_SMALL_DRIVE="${letter^^}:" timeout --kill-after=10 "${KF_WINE_TIMEOUT:-300}" \
    wine "$test_exe" --gtest_color=no --gtest_filter="$filter" </dev/null
