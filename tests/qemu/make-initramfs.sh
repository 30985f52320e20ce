#!/bin/bash
# Builds the test guest's initramfs:
#
#   make-initramfs.sh KERNEL-DIR OUT.cpio.gz DRIVES RUNS PROGRAM...
#
# KERNEL-DIR is what guest-kernel.sh printed; DRIVES the number of CD drives the guest
# waits for; RUNS a file of lines "LABEL PROGRAM [ARG...]" that the guest's /init runs in
# order. Each PROGRAM is copied to /bin under its own name and must be statically linked:
# the guest has no C library.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
kernel=$1 out=$2 drives=$3 runs=$4
shift 4

busybox=$(command -v busybox || true)
if [ -z "$busybox" ] || readelf -l "$busybox" | grep -q 'Requesting program interpreter'; then
    echo "make-initramfs: needs a statically linked busybox (package busybox-static)" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,dev,proc,sys,tmp,case,lib/modules}
cp "$busybox" "$root/bin/busybox"
cp "$here/guest/init" "$root/init"
chmod 755 "$root/init"
cp "$here/guest/modules" "$root/case/modules"
while read -r module; do
    [ -n "$module" ] || continue
    cp "$kernel/modules/$module.ko" "$root/lib/modules/"
done <"$here/guest/modules"
echo "$drives" >"$root/case/drives"
cp "$runs" "$root/case/runs"
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
