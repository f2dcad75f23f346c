#!/usr/bin/env bash
# Installs everything Kitforge needs from Debian's packages, only when it is missing.
# Safe to run again; CI runs it on every clean clone.
set -euo pipefail

need=()

# failed_sources LOG: apt-get update's errors in LOG as one line, each failed index as
# "HOST/PATH SUITE/COMPONENT ARCH (apt's reason)", or apt's first error when none is named.
failed_sources() {
  local line
  line="$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)$/\1 \2/p' "$1" |
    sed -e 's/ *\[IP: [^]]*\]$//' \
        -e 's|^[a-z+]*://\([^ ]*\)/dists/\([^/]*\)/\([^/]*\)/binary-\([^/]*\)/[^ ]* *\(.*\)$|\1 \2/\3 \4 (\5)|' |
    awk 'NR > 1 { printf "; " } { printf "%s", $0 }')"
  [ -n "$line" ] || line="$(grep -m1 '^E: ' "$1" | sed 's/^E: //' || true)"
  echo "${line:-no reason given}"
}
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The -win32 compilers build the stubs (no winpthread); binutils-source carries the zlib
# sources from which the stubs build inflate alone. The x86-64 compilers and wine64 build
# and run the 64-bit test build on machines that run no 32-bit code; debootstrap, qemu
# and e2fsprogs make and boot the guest that runs the 32-bit suite there (scripts/vm).
packages=(cmake make g++ clang libclang-rt-14-dev zlib1g-dev googletest
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
          g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-source
          libz-mingw-w64-dev wine wine32:i386 xvfb xauth x11-apps imagemagick nsis
          clang-format python3 fonts-wine osslsigncode openssl
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 wine64
          debootstrap qemu-system-x86 e2fsprogs zstd)
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if ((${#need[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one index now and then, and apt then ends with a bare
  # "Error 100". Name the source in one line, try once more, and go on with the indexes
  # that did arrive (the install below fails clearly if a package is missing).
  apt_log="$(mktemp)"
  trap 'rm -f "$apt_log"' EXIT
  for try in 1 2; do
    if $SUDO apt-get update -qq 2>"$apt_log"; then break; fi
    failed="$(failed_sources "$apt_log")"
    if [ "$try" -eq 1 ]; then
      echo "install-deps: apt-get update failed: $failed; a retry later usually helps, trying once more in 10 s" >&2
      sleep 10
    else
      echo "install-deps: apt-get update failed again: $failed; going on with the package lists that arrived (a retry later usually helps)" >&2
    fi
  done
  # wine32:i386 alone may not resolve (an i386 index behind the amd64 one during a mirror
  # sync, or no i386 at all): everything else still installs, and the tests run the 32-bit
  # programs where they can (run-tests.sh says which).
  rest=()
  for p in "${need[@]}"; do [ "$p" = "wine32:i386" ] || rest+=("$p"); done
  if ((${#rest[@]})); then
    $SUDO apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null
  fi
  if [ ${#rest[@]} -ne ${#need[@]} ] &&
     ! $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
    echo "install-deps: wine32:i386 could not be installed; the 32-bit Wine tests will not run natively" >&2
  fi
fi
echo "install-deps: all packages present"
