# Sourced by the scripts that run Kitforge's Windows programs under Wine.
# A private 32-bit prefix inside build/ keeps test runs away from ~/.wine and from
# the user's real folders, and makes every run start from the same state.

_kf_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${KF_WINE_ARCH:-win32}" = win64 ]; then
    # The 64-bit test build (build/win64), for machines that run no 32-bit code: the
    # 64-bit loader and server, and a prefix of their own.
    case ":$PATH:" in *":$_kf_root/scripts/wine64:"*) ;; *) export PATH="$_kf_root/scripts/wine64:$PATH" ;; esac
    export WINEPREFIX="${KF_WINEPREFIX:-$_kf_root/build/wineprefix64}"
    export WINEARCH=win64
else
    export WINEPREFIX="${KF_WINEPREFIX:-$_kf_root/build/wineprefix}"
    # Debian's wine32 alone runs a win32 prefix; the programs are 32-bit anyway.
    export WINEARCH=win32
fi
export WINEDEBUG="${KF_WINEDEBUG:--all}"
# No Mono/Gecko install prompts, no menu entries written to the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# True when this machine can run the prefix's Wine at all. Some virtual machines run a
# kernel without IA-32 emulation: every 32-bit program, Wine's loader first, fails with
# "Exec format error". Elsewhere the 32-bit Wine may simply be missing (wine32:i386 could
# not be installed) while Debian's launcher still answers through the 64-bit loader:
# the 32-bit prefix asks the 32-bit loader itself.
kf_wine_runs() {
    if [ "${KF_WINE_ARCH:-win32}" = win64 ]; then
        wine --version >/dev/null 2>&1
    else
        [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
    fi
}

# Why the 32-bit Wine cannot run, in one line for the test summary.
kf_wine_why_not() {
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "no 32-bit Wine (wine32:i386 not installed)"
    else
        /usr/lib/wine/wine --version 2>&1 | tail -n1
    fi
}

# Creates the prefix once. Safe to call from parallel test runs: the first caller
# builds it under a lock, the rest wait. A prefix without the stamp (an interrupted
# creation) is thrown away and made again.
kf_wine_prefix_init() {
    local stamp="$WINEPREFIX/.kf-ready"
    [ -f "$stamp" ] && [ -f "$WINEPREFIX/.kf-pristine.tar" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    local fd
    exec {fd}>"$WINEPREFIX.lock"
    flock "$fd"
    if [ ! -f "$stamp" ] || [ ! -f "$WINEPREFIX/.kf-pristine.tar" ]; then
        local t0=$SECONDS
        echo "wine-env: creating Wine prefix $WINEPREFIX" >&2
        # A server still running on a half-made prefix would write into it as we delete it.
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        local log="$WINEPREFIX.log"
        if ! wineboot -i </dev/null >"$log" 2>&1 || ! wineserver -w; then
            echo "wine-env: wineboot failed:" >&2
            cat "$log" >&2
            exec {fd}>&-
            return 1
        fi
        # Wine links Desktop, Documents etc. to $HOME; an installer under test must not
        # put shortcuts or files there.
        local d
        for d in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$d" ]; then
                rm -f "$d"
                mkdir -p "$d"
            fi
        done
        # Wine's own MS Sans Serif and Marlett (Debian's fonts-wine) where Windows keeps
        # its fonts: this Wine does not look for them in its data directory, and without
        # them labels take a wider stand-in and the caption buttons draw as letters.
        if [ -d /usr/share/wine/fonts ]; then
            cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
        # A crashing program must end with an exit code, not wait on a crash dialog.
        # Unmanaged windows: without a window manager, Wine waits 2 s on every hide or
        # destroy of a managed window for a state change that never comes.
        local reg="$WINEPREFIX.reg"
        printf '%s\r\n' 'REGEDIT4' '' \
            '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
            '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' >"$reg"
        if ! wine regedit /S "Z:$reg" </dev/null >>"$log" 2>&1 || ! wineserver -w; then
            echo "wine-env: registry setup failed:" >&2
            cat "$log" >&2
            exec {fd}>&-
            return 1
        fi
        # What tests may change (registry, user folders, anything installed on C:) is
        # kept as created, for kf_wine_prefix_reset.
        if ! tar -C "$WINEPREFIX" -cf "$WINEPREFIX/.kf-pristine.tar" \
            system.reg user.reg userdef.reg "drive_c/Program Files" drive_c/ProgramData drive_c/users; then
            echo "wine-env: could not save the fresh prefix state" >&2
            exec {fd}>&-
            return 1
        fi
        touch "$stamp"
        echo "wine-env: prefix ready in $((SECONDS - t0)) s" >&2
    fi
    exec {fd}>&-
}

# Puts registry and drive C: (but for C:\windows) back to the state of a fresh prefix,
# so a test run does not see what an earlier run installed. Stops the server first.
kf_wine_prefix_reset() {
    kf_wine_prefix_init || return 1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    local e
    for e in "$WINEPREFIX"/drive_c/* "$WINEPREFIX"/drive_c/.[!.]*; do
        [ -e "$e" ] || [ -L "$e" ] || continue
        [ "$(basename "$e")" = windows ] && continue
        rm -rf "$e"
    done
    rm -f "$WINEPREFIX"/*.reg
    tar -C "$WINEPREFIX" -xf "$WINEPREFIX/.kf-pristine.tar"
}
