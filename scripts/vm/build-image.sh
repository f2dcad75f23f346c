#!/usr/bin/env bash
# build-image.sh: makes the guest for the 32-bit test lane, build/vm/{disk.img,vmlinuz,
# initrd.img}: Debian bookworm amd64 with i386 multiarch Wine, from Debian's packages only.
# Reused as long as its inputs (this script, the package list, the guest's init and
# provisioning, the Wine prefix setup) have not changed; one builder at a time.
#   KF_VM_MIRROR  Debian mirror (default http://deb.debian.org/debian)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
here="$root/scripts/vm"
vm="$root/build/vm"
mirror="${KF_VM_MIRROR:-http://deb.debian.org/debian}"
mkdir -p "$vm"
exec 8>"$vm/.build.lock"
flock 8

inputs=$(cd "$root" && cat scripts/vm/build-image.sh scripts/vm/packages scripts/vm/kf-init \
    scripts/vm/provision.sh scripts/wine-env.sh | sha256sum | cut -d' ' -f1)
if [ -f "$vm/stamp" ] && [ "$(cat "$vm/stamp")" = "$inputs" ] &&
   [ -f "$vm/disk.img" ] && [ -f "$vm/vmlinuz" ] && [ -f "$vm/initrd.img" ]; then
    echo "build-image: guest image up to date ($vm/disk.img)"
    exit 0
fi
[ "$(id -u)" = 0 ] || { echo "build-image: debootstrap and chroot need root" >&2; exit 1; }
t0=$SECONDS
rm -f "$vm/stamp" "$vm/disk.img" "$vm/vmlinuz" "$vm/initrd.img"
rootfs="$vm/root"
log="$vm/build.log"
: >"$log"
echo "build-image: building the guest in $rootfs (log $log)"

# retry CMD...: a mirror mid-sync or a dropped connection fails a download now and then;
# a lost CI run costs far more than a wait.
retry() {
    local try
    for try in 1 2 3 4 5; do
        "$@" >>"$log" 2>&1 && return 0
        echo "build-image: failed (try $try): $*" >&2
        sleep $((try * 15))
    done
    tail -n 30 "$log" >&2
    return 1
}
mounted=()
cleanup() {
    local m
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

# Downloaded packages are kept in build/vm/debs, so a retry or rebuild fetches only
# what is missing.
fresh_root() { cleanup; mounted=(); rm -rf "$rootfs"; }
bootstrap() {
    fresh_root
    debootstrap --variant=minbase --arch=amd64 --components=main --cache-dir="$vm/debs" \
        bookworm "$rootfs" "$mirror"
}
mkdir -p "$vm/debs"
retry bootstrap
echo "build-image: debootstrap done in $((SECONDS - t0)) s"

for m in proc sys dev; do
    case $m in
    proc) mount -t proc proc "$rootfs/proc" ;;
    sys) mount -t sysfs sys "$rootfs/sys" ;;
    dev) mount --bind /dev "$rootfs/dev" ;;
    esac
    mounted+=("$rootfs/$m")
done
in_root() { chroot "$rootfs" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
# bookworm's main suite alone: its amd64 and i386 halves always match, while an update
# suite's i386 index may trail its amd64 one during a mirror sync.
echo "deb $mirror bookworm main" >"$rootfs/etc/apt/sources.list"
printf '%s\n' 'Acquire::Retries "5";' 'APT::Install-Recommends "false";' 'Dpkg::Options { "--force-confdef"; "--force-confold"; };' >"$rootfs/etc/apt/apt.conf.d/80kf"
# No services start in the chroot.
printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
chmod +x "$rootfs/usr/sbin/policy-rc.d"
# The initrd must find the root disk on qemu's virtio bus.
mkdir -p "$rootfs/etc/initramfs-tools"
printf '%s\n' virtio_pci virtio_blk ext4 >>"$rootfs/etc/initramfs-tools/modules"
# Made once, by the kernel's own install, not again by every later trigger.
echo update_initramfs=no >"$rootfs/etc/initramfs-tools/update-initramfs.conf"
in_root dpkg --add-architecture i386
retry in_root apt-get update
mapfile -t pkgs < <(grep -vE '^\s*(#|$)' "$here/packages")
mkdir -p "$rootfs/var/cache/apt/archives"
cp -n "$vm/debs"/*.deb "$rootfs/var/cache/apt/archives/" 2>/dev/null || true
retry in_root apt-get install -y --download-only "${pkgs[@]}"
cp -n "$rootfs/var/cache/apt/archives/"*.deb "$vm/debs/" 2>/dev/null || true
# Some i386 post-install helpers cannot run in the chroot where the host runs no 32-bit
# code; provisioning configures them again in the guest, whose kernel runs them.
in_root apt-get install -y "${pkgs[@]}" >>"$log" 2>&1 || echo "build-image: some packages left for the guest to configure" >&2
in_root apt-get clean
install -m 755 "$here/kf-init" "$rootfs/sbin/kf-init"
install -m 755 "$here/provision.sh" "$rootfs/sbin/kf-provision"
echo "build-image: packages installed at $((SECONDS - t0)) s"

[ -e "$rootfs/initrd.img" ] || in_root update-initramfs -c -k all >>"$log" 2>&1
cleanup
mounted=()
cp -L "$rootfs/vmlinuz" "$vm/vmlinuz"
cp -L "$rootfs/initrd.img" "$vm/initrd.img"
# No loop device needed: mkfs writes the tree straight into the image file (sparse).
mkfs.ext4 -q -F -L kfroot -E root_owner=0:0 -d "$rootfs" "$vm/disk.img.new" 8G
mv "$vm/disk.img.new" "$vm/disk.img"
rm -rf "$rootfs"
echo "build-image: disk image made at $((SECONDS - t0)) s"

# First boot, writable: finish the packages and make the Wine prefix inside the guest.
if ! KF_VM_PROVISION=1 KF_VM_LOG="$vm/provision-console.log" "$here/run" /sbin/kf-provision >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build-image: provisioning boot failed (console: $vm/provision-console.log)" >&2
    exit 1
fi
echo "$inputs" >"$vm/stamp"
echo "build-image: guest ready in $((SECONDS - t0)) s ($(du -h --apparent-size "$vm/disk.img" | cut -f1) image, $(du -h "$vm/disk.img" | cut -f1) used)"
