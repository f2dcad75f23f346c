#!/bin/bash
# provision.sh: runs once in the guest's first (writable) boot: configures what the
# chroot could not and creates the Wine prefix on the guest's own disk, where the
# lane's Wine keeps it (the tree's share would be slow for it).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
dpkg --configure -a
# Triggers the chroot may have skipped (the i386 GLib module caches among them).
dpkg --triggers-only --pending || true
if dpkg --audit | grep -q .; then
    dpkg --audit
    echo "provision: packages left unconfigured" >&2
    exit 1
fi
/usr/lib/wine/wine --version
mkdir -p /var/lib/kf
source "$KF_TREE/scripts/wine-env.sh"
"$KF_TREE/scripts/with-xvfb.sh" bash -c "source '$KF_TREE/scripts/wine-env.sh' && kf_wine_prefix_init"
wineserver -k 2>/dev/null || true
echo "provision: done"
