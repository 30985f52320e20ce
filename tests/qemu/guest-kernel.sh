#!/bin/bash
# Unpacks Debian's cloud kernel and the modules the test guest loads into a cache
# directory, without installing the package:
#
#   guest-kernel.sh CACHE-DIR      prints the directory of the unpacked kernel
#
# The package is the one linux-image-cloud-amd64 depends on now (security updates change
# it), fetched with apt-get download. The result, CACHE-DIR/<release>/ with vmlinuz,
# release and modules/<name>.ko (decompressed), is reused while it is complete.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

kernel_package() {
    apt-cache depends linux-image-cloud-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-cloud-amd64\)$/\1/p' | head -n 1
}
package=$(kernel_package)
if [ -z "$package" ] && [ "$(id -u)" = 0 ]; then
    # A fresh system may have no package lists yet.
    apt-get update -q >&2 || true
    package=$(kernel_package)
fi
if [ -z "$package" ]; then
    echo "guest-kernel: no kernel package behind linux-image-cloud-amd64" \
        "(apt-get update?)" >&2
    exit 1
fi
release=${package#linux-image-}
dir="$cache/$release"
if [ -f "$dir/complete" ]; then
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
cp "$work/root/boot/vmlinuz-$release" "$dir/vmlinuz"
while read -r module; do
    [ -n "$module" ] || continue
    found=$(find "$work/root/lib/modules/$release" -name "$module.ko" -o -name "$module.ko.xz" \
        -o -name "$module.ko.zst" | head -n 1)
    if [ -z "$found" ]; then
        echo "guest-kernel: module $module not in $package" >&2
        exit 1
    fi
    case "$found" in
        *.ko.xz) xz -dc "$found" >"$dir/modules/$module.ko" ;;
        *.ko.zst) zstd -qdc "$found" >"$dir/modules/$module.ko" ;;
        *) cp "$found" "$dir/modules/$module.ko" ;;
    esac
done <"$here/guest/modules"
echo "$release" >"$dir/release"
touch "$dir/complete"
echo "$dir"
