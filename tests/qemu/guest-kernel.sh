#!/bin/bash
# Unpacks Debian's full kernel and the modules the test guest loads into a cache
# directory, without installing the package:
#
#   guest-kernel.sh CACHE-DIR      prints the directory of the unpacked kernel
#
# The package is the one linux-image-amd64 depends on now (security updates change it),
# fetched with apt-get download. The full kernel, not the cloud one, because the desktop
# machines need AHCI and USB storage. The result, CACHE-DIR/<release>/ with kernel (what
# QEMU's -kernel boots), release, modules/<name>.ko (decompressed) and modules/load, is
# reused while it is complete.
#
# modules/load lists the modules in the order the guest loads them, one a line, "PHASE
# NAME DEPENDENCY...": the modules of tests/qemu/guest/modules, each preceded by the
# modules it depends on (read from its own .modinfo section, as depmod would: the package
# has no modules.dep; and those guest/modules adds), each module once. Each machine of
# the test loads the part of that list its adapters need (make-initramfs.sh).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | grep -v -- '-cloud-\|-rt-' |
        head -n 1
}
package=$(kernel_package)
if [ -z "$package" ] && [ "$(id -u)" = 0 ]; then
    # A fresh system may have no package lists yet.
    apt-get update -q >&2 || true
    package=$(kernel_package)
fi
if [ -z "$package" ]; then
    echo "guest-kernel: no kernel package behind linux-image-amd64 (apt-get update?)" >&2
    exit 1
fi
release=${package#linux-image-}
dir="$cache/$release"
if [ -f "$dir/complete" ] && [ -f "$dir/kernel" ] && [ "$dir/complete" -nt "$here/guest/modules" ]; then
    echo "$dir"
    exit 0
fi

work=$(mktemp -d "$cache/unpack.XXXXXX")
trap 'rm -rf "$work"' EXIT
# apt warns that it downloads unsandboxed into a directory its own user cannot write.
(cd "$work" && apt-get download -q "$package" >&2)
deb=$(ls "$work"/*.deb)
dpkg-deb -x "$deb" "$work/root"

rm -rf "$dir"
mkdir -p "$dir/modules"
# The kernel QEMU boots: the image's own ELF kernel, unpacked here once, when it has a PVH
# entry (QEMU then starts it directly); under software emulation the image's
# self-decompression of its xz payload takes longer than the rest of the boot.
# Otherwise the image as it comes.
vmlinuz=$work/root/boot/vmlinuz-$release
offset=$(grep -abo -m 1 $'\xfd7zXZ\x00' "$vmlinuz" | awk -F: 'NR == 1 { print $1 }')
if [ -n "$offset" ] && tail -c +$((offset + 1)) "$vmlinuz" >"$work/payload" &&
    xz -dc --single-stream <"$work/payload" >"$work/vmlinux" 2>/dev/null &&
    readelf -n "$work/vmlinux" 2>/dev/null | grep 'Xen.*0x00000012' >/dev/null; then
    mv "$work/vmlinux" "$dir/kernel"
else
    cp "$vmlinuz" "$dir/kernel"
fi

# unpack NAME: the module's file as modules/NAME.ko; its name as the kernel spells it
# (hyphens and underscores are the same to the kernel, not to find).
unpack() {
    local pattern found
    pattern=${1//[-_]/[-_]}
    found=$(find "$work/root/lib/modules/$release" -name "$pattern.ko" -o -name "$pattern.ko.xz" \
        -o -name "$pattern.ko.zst" | head -n 1)
    if [ -z "$found" ]; then
        echo "guest-kernel: module $1 not in $package" >&2
        exit 1
    fi
    case "$found" in
        *.ko.xz) xz -dc "$found" >"$dir/modules/$1.ko" ;;
        *.ko.zst) zstd -qdc "$found" >"$dir/modules/$1.ko" ;;
        *) cp "$found" "$dir/modules/$1.ko" ;;
    esac
}

# add PHASE NAME [EXTRA-DEPENDENCY...]: the module's dependencies, then the module with
# them, unless already listed.
add() {
    local phase=$1 name=$2 deps dep
    shift 2
    grep -q "^[a-z]* $name\( \|\$\)" "$dir/modules/load" 2>/dev/null && return 0
    [ -f "$dir/modules/$name.ko" ] || unpack "$name"
    deps="$* $(tr '\0' '\n' <"$dir/modules/$name.ko" | sed -n 's/^depends=//p' | tr ',' ' ')"
    for dep in $deps; do
        add "$phase" "$dep"
    done
    echo "$phase $name" $deps >>"$dir/modules/load" # one line, the dependencies as words
}

: >"$dir/modules/load"
phase=
# shellcheck disable=SC2086
while read -r line; do
    line=${line%%#*}
    case "$line" in
        '') ;;
        \[*\]) phase=${line#[} phase=${phase%]} ;;
        *) add "$phase" ${line/:/ } ;; # NAME and the extra dependencies, as words
    esac
done <"$here/guest/modules"
echo "$release" >"$dir/release"
touch "$dir/complete"
echo "$dir"
