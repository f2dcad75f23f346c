#!/usr/bin/env bash
# removal_scope.sh TEST_EXE: the uninstaller and an edited log under Wine, with what the
# Windows side cannot make itself. Wine 8 creates no junctions or symbolic links, but
# reports a Unix symbolic link as a reparse point: one is made here, inside the prefix,
# for the test to move in place of an installed folder. And Wine reads permissions from
# the Unix mode: with umask 0 a folder made under C:\ is writable by everyone, as on
# Windows (Authenticated Users: Modify), so the setup has something to protect.
set -uo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init || exit 1
drive_c="$WINEPREFIX/drive_c"
name="kf-scope-$$"
victim="$drive_c/$name-victim"
link="$drive_c/$name-link"
cleanup() {
    rm -f "$link"
    rm -rf "$victim"
}
trap cleanup EXIT
mkdir -p "$victim"
printf "not the installation's" >"$victim/guide.txt"
ln -s "$victim" "$link"
umask 000
KF_E2E_LINK="C:\\$name-link" KF_E2E_LINK_TARGET="C:\\$name-victim" timeout --kill-after=10 "${KF_WINE_TIMEOUT:-300}" \
    wine "$test_exe" --gtest_color=no \
    --gtest_filter='Silent.TheFolderItMakesUnderCIsProtected:Silent.AnEditedLogTouchesNothingOutsideTheInstallation' </dev/null
