#!/usr/bin/env bash
# with-xvfb.sh CMD [ARGS...]: runs CMD with DISPLAY set to a private Xvfb server that
# lives only as long as CMD. GUI tests use it; no window manager is started.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: with-xvfb.sh CMD [ARGS...]" >&2
    exit 2
fi
tmp="$(mktemp -d)"
# -displayfd makes Xvfb pick a free display number and report it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/log" 2>&1 &
xvfb_pid=$!
cleanup() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for _ in $(seq 200); do
    [ -s "$tmp/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "with-xvfb: Xvfb did not start:" >&2
        cat "$tmp/log" >&2
        exit 1
    fi
    sleep 0.05
done
if [ ! -s "$tmp/display" ]; then
    echo "with-xvfb: Xvfb gave no display number in 10 s" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
set +e
"$@"
rc=$?
set -e
exit "$rc"
