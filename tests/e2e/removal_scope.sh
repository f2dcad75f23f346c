#!/usr/bin/env bash
# removal_scope.sh TEST_EXE: the uninstaller and an edited log under Wine, with what the
# Windows side cannot make itself.
# - Wine reads a file's permissions from its Unix mode, and its server makes the files:
#   with the server under umask 0, a folder made under C:\ is writable by everyone, as
#   on Windows (Authenticated Users: Modify), so the setup has something to protect.
# - Wine 8 creates no junctions or symbolic links, but reports a Unix symbolic link as
#   a reparse point: one is put in place of an installed folder between the install
#   and the removal.
set -uo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
kf_wine_prefix_init || exit 1
drive_c="$WINEPREFIX/drive_c"
id="$$"
name="kf-scope-$id"
victim="$drive_c/$name-victim"
place="$drive_c/$name"
# A server of this script's umask (nothing else runs meanwhile: RUN_SERIAL), with the
# prefix's services started away from this script's output.
start_server() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}
cleanup() {
    rm -rf "$victim" "$place"
    umask 022
    start_server
}
trap cleanup EXIT
mkdir -p "$victim"
printf "not the installation's" >"$victim/guide.txt"
umask 000
start_server
run() { # PHASE GTEST_FILTER
    KF_E2E_PHASE="$1" KF_E2E_ID="$id" KF_E2E_PLACE="C:\\$name" KF_E2E_LINK_TARGET="C:\\$name-victim" \
        timeout --kill-after=10 "${KF_WINE_TIMEOUT:-300}" wine "$test_exe" --gtest_color=no --gtest_filter="$2" </dev/null
}
rc=0
run "" Silent.TheFolderItMakesUnderCIsProtected || rc=1
run install Silent.AnEditedLogTouchesNothingOutsideTheInstallation || rc=1
if [ -d "$place/App/docs" ]; then
    mv "$place/App/docs" "$place/docs.installed"
    ln -s "$victim" "$place/App/docs"
fi
run remove Silent.AnEditedLogTouchesNothingOutsideTheInstallation || rc=1
exit $rc
