#!/bin/bash
# Builds the test guest's initramfs:
#
#   make-initramfs.sh KERNEL-DIR OUT.cpio.gz MODULES WANT STEPS PROGRAM...
#
# KERNEL-DIR is what guest-kernel.sh printed; MODULES the modules the machine needs (a
# list; their dependencies come with them, all in the order of KERNEL-DIR/modules/load);
# WANT the devices the guest waits for before its steps, "SCSI-DEVICES CD-DRIVES DISKS";
# STEPS a shell script that the guest's /init
# runs with its helpers (run, watch, mark...: see guest/init). Each PROGRAM is copied to
# /bin under its own name and must be statically linked: the guest has no C library.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
kernel=$1 out=$2 modules=$3 want=$4 steps=$5
shift 5

busybox=$(command -v busybox || true)
if [ -z "$busybox" ] || readelf -l "$busybox" | grep -q 'Requesting program interpreter'; then
    echo "make-initramfs: needs a statically linked busybox (package busybox-static)" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,dev,etc,proc,sys,tmp,case,lib/modules}
chmod 755 "$root"
chmod 1777 "$root/tmp"
cp "$busybox" "$root/bin/busybox"
cp "$here/guest/init" "$root/init"
chmod 755 "$root/init"
# The modules asked for and what they depend on: the load list read backwards takes a
# module's dependencies along once the module is taken.
needed=" $modules "
while read -r phase module deps; do
    case "$needed" in
        *" $module "*)
            needed="$needed$deps "
            echo "$phase $module"
            ;;
    esac
done < <(tac "$kernel/modules/load") | tac >"$root/case/modules"
while read -r _ module; do
    cp "$kernel/modules/$module.ko" "$root/lib/modules/"
done <"$root/case/modules"
for module in $modules; do
    grep -q " $module\$" "$root/case/modules" || {
        echo "make-initramfs: no module $module in $kernel/modules/load" >&2
        exit 1
    }
done
# The user of the non-root runs: a member of the group cdrom as a desktop's user is.
printf 'root:x:0:0:root:/root:/bin/sh\nuser:x:1000:1000:user:/tmp:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\ndisk:x:6:\ncdrom:x:24:user\nuser:x:1000:\n' >"$root/etc/group"
echo "$want" >"$root/case/want"
cp "$steps" "$root/case/steps"
for program in "$@"; do
    if readelf -l "$program" 2>/dev/null | grep -q 'Requesting program interpreter'; then
        echo "make-initramfs: $program is linked dynamically; the guest needs it static" >&2
        exit 1
    fi
    cp "$program" "$root/bin/$(basename "$program")"
    chmod 755 "$root/bin/$(basename "$program")"
done
# devtmpfs brings the device nodes; the console node is needed before it is mounted.
(cd "$root" && find . | LC_ALL=C sort | cpio --quiet -o -H newc -R 0:0 | gzip -1) >"$out"
