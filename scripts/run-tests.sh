#!/usr/bin/env bash
# run-tests.sh: runs the test suites of the already built trees and prints a summary.
# Every step runs even if an earlier one failed; the exit code is non-zero if any did.
# KF_TEST_STEPS picks steps (default "native asan win fuzz"). Where the 32-bit Wine cannot
# run, the win step runs the 32-bit suite in an emulated guest instead (win-vm, see
# scripts/vm); KF_TEST_VM=1 runs it there as well where it is not needed, KF_TEST_VM=0 never.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${KF_JOBS:-2}"
logs="build/test-logs"
mkdir -p "$logs"

ctest_args=(--output-on-failure --no-tests=error -j"$jobs")
summary=()
total_pass=0
total_fail=0
status=0

# step NAME CMD...: runs CMD, keeps its output in build/test-logs/NAME.log and reads
# CTest's (or run-fuzzers') closing counts from it.
step() {
    local name="$1"
    shift
    echo
    echo "==== $name: $* ===="
    "$@" 2>&1 | tee "$logs/$name.log"
    local rc=${PIPESTATUS[0]}
    local line pass fail
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$name.log" | tail -n1)
    if [ -n "$line" ]; then
        fail=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
        pass=$(( $(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line") - fail ))
    else
        line=$(grep -E '^run-fuzzers: [0-9]+ fuzzers, [0-9]+ failed' "$logs/$name.log" | tail -n1)
        if [ -n "$line" ]; then
            fail=$(sed -E 's/.*, ([0-9]+) failed.*/\1/' <<<"$line")
            pass=$(( $(sed -E 's/^run-fuzzers: ([0-9]+) fuzzers.*/\1/' <<<"$line") - fail ))
        else
            pass=0
            fail=0
        fi
    fi
    # A failed step with nothing counted (no tests, a crash of the runner) still counts.
    if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then
        fail=1
    fi
    total_pass=$((total_pass + pass))
    total_fail=$((total_fail + fail))
    local verdict="ok"
    if [ "$rc" -ne 0 ]; then
        verdict="FAILED (exit $rc)"
        status=1
    fi
    summary+=("$(printf '%-8s %-18s %5d passed, %d failed' "$name" "$verdict" "$pass" "$fail")")
}

for s in ${KF_TEST_STEPS:-native asan win fuzz}; do
    case "$s" in
    native)
        step native ctest --test-dir build/native "${ctest_args[@]}" ;;
    asan)
        step asan env \
            ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1" \
            UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
            ctest --test-dir build/asan "${ctest_args[@]}" ;;
    win)
        # The programs' file checks run on this host (the guest has no compilers to rebuild
        # them from a clean tree, nor MinGW's objdump to read their imports); the guest
        # tests the very same binaries.
        host_only='^(installer_stub_size|uninstaller_stub_size|stubs_reproducible|program_imports)$'
        if (source scripts/wine-env.sh && kf_wine_runs); then
            step win scripts/with-xvfb.sh scripts/wine-ctest.sh build/win "${ctest_args[@]}"
            if [ "${KF_TEST_VM:-auto}" = 1 ]; then
                step win-vm env KF_VM_LOG="$logs/win-vm-console.log" KF_VM_TIMEOUT=3600 scripts/vm/run \
                    scripts/vm/win-ctest.sh "${ctest_args[@]}" -E "$host_only"
            fi
        else
            # Said loudly: the product's Windows programs cannot run on this machine. The
            # checks of the stubs' files (size caps, reproducible builds) need no Wine.
            echo
            echo "==== win: the 32-bit Wine cannot run here: $(source scripts/wine-env.sh && kf_wine_why_not) ===="
            echo "==== win: the stub file checks, then the 64-bit build's tests ===="
            step win-stubs ctest --test-dir build/win "${ctest_args[@]}" -R "$host_only"
            summary+=("$(printf '%-8s %-18s %5s' win "SKIPPED (no 32-bit Wine)" -)")
            # The product's own 32-bit programs, in an emulated guest whose kernel runs
            # them (scripts/vm): one boot for the whole suite, an hour at most.
            if scripts/vm/wanted; then
                step win-vm env KF_VM_LOG="$logs/win-vm-console.log" KF_VM_TIMEOUT=3600 scripts/vm/run \
                    scripts/vm/win-ctest.sh "${ctest_args[@]}" -E "$host_only"
            else
                summary+=("$(printf '%-8s %-18s %5s' win-vm "SKIPPED (KF_TEST_VM=0)" -)")
            fi
            # The same Windows tests, built 64-bit, under the 64-bit Wine: the Win32 code
            # is tested here too, though not in the product's 32-bit build.
            if [ -d build/win64 ] && (export KF_WINE_ARCH=win64 && source scripts/wine-env.sh && kf_wine_runs); then
                step win64 env KF_WINE_ARCH=win64 scripts/with-xvfb.sh scripts/wine-ctest.sh build/win64 "${ctest_args[@]}"
            fi
        fi ;;
    fuzz)
        step fuzz scripts/run-fuzzers.sh build/fuzz ;;
    *)
        echo "run-tests: unknown step '$s'" >&2
        status=1 ;;
    esac
done

echo
echo "==== Kitforge test summary ===="
for l in "${summary[@]}"; do echo "$l"; done
echo "total: $total_pass passed, $total_fail failed"
exit "$status"
