#!/usr/bin/env bash
# build_verify_setups.sh EMULATOR BUILD_TESTS KFTOOL: runs the setup-build tests with
# KF_KEEP_SETUPS set, so every setup executable they build is kept, then checks each
# one with `kftool verify`. EMULATOR is empty for native programs (else wine-run).
set -euo pipefail
emulator="$1" tests="$2" kftool="$3"
run() { if [ -n "$emulator" ]; then "$emulator" "$@"; else "$@"; fi; }

keep="$(mktemp -d)"
trap 'rm -rf "$keep"' EXIT
# Windows programs see the Unix root as drive Z:.
keep_arg="$keep"
[ -n "$emulator" ] && keep_arg="Z:$keep"

KF_KEEP_SETUPS="$keep_arg" run "$tests" --gtest_brief=1 >"$keep/tests.log" 2>&1 || {
    cat "$keep/tests.log"
    echo "build_verify_setups: the tests failed" >&2
    exit 1
}
shopt -s nullglob
setups=("$keep"/*.exe)
if [ "${#setups[@]}" -lt 3 ]; then
    echo "build_verify_setups: expected the tests to keep several setup executables, got ${#setups[@]}" >&2
    exit 1
fi
failed=0
for setup in "${setups[@]}"; do
    arg="$setup"
    [ -n "$emulator" ] && arg="Z:$setup"
    if ! run "$kftool" verify "$arg"; then
        echo "build_verify_setups: kftool verify failed on $(basename "$setup")" >&2
        failed=1
    fi
done
echo "build_verify_setups: ${#setups[@]} setup executables checked"
exit "$failed"
