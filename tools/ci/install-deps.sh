#!/bin/sh
# Install the packages the Tessaly builds need on Debian 12. Idempotent: when everything
# is present it only runs one dpkg-query and returns.
#
#   tools/ci/install-deps.sh            everything (native, cross + Wine, fuzz, bench)
#   tools/ci/install-deps.sh --native   only what the native program build needs
#
# Needs root (or sudo) only when something is missing.
set -eu

# cairo (through pkg-config) draws the Linux edition's PDF report.
NATIVE="g++ cmake ninja-build nlohmann-json3-dev googletest pkg-config libcairo2-dev"
# The QEMU guest test: the emulator, a static busybox for the guest's initramfs and the
# disc image maker. Its kernel is Debian's cloud kernel, fetched by the test itself with
# apt-get download (not installed).
GUEST="qemu-system-x86 busybox-static cpio genisoimage"
# Both Wine runtimes: 32-bit Wine runs only where the kernel starts i386 programs (the
# test command finds out which); 64-bit Wine runs everywhere.
# g++-multilib: the 32-bit build (-m32) of the library preloaded into 32-bit Wine.
FULL="$NATIVE clang libclang-rt-14-dev libbenchmark-dev g++-mingw-w64-i686
      g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth fonts-wine fonts-liberation2
      imagemagick ghostscript xdotool g++-multilib poppler-utils $GUEST"
# Wine is installed without its recommends (GL, GStreamer, SDL, ...); these small X client
# libraries from that list are kept so that windows render as on a full install.
WINE_X_LIBS="libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
             libxfixes3:i386 libxinerama1:i386 libxcomposite1:i386
             libxrender1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64
             libxfixes3:amd64 libxinerama1:amd64 libxcomposite1:amd64"

case "${1:-}" in
  --native) PACKAGES=$NATIVE; NEED_I386=0 ;;
  "")       PACKAGES="$FULL $WINE_X_LIBS"; NEED_I386=1 ;;
  *) echo "usage: $0 [--native]" >&2; exit 2 ;;
esac

missing() {
  # dpkg-query prints one status line per known package; unknown ones go to stderr.
  for p in $PACKAGES; do
    s=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$s" = installed ] || printf '%s ' "$p"
  done
}

MISSING=$(missing)
if [ $NEED_I386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  ADD_I386=1
else
  ADD_I386=0
fi
if [ -z "$MISSING" ] && [ $ADD_I386 = 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "install-deps: need root for: $MISSING" >&2; exit 1; }
  SUDO=sudo
fi

echo "install-deps: installing: $MISSING"
export DEBIAN_FRONTEND=noninteractive
if [ $ADD_I386 = 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $MISSING

STILL=$(missing)
if [ -n "$STILL" ]; then
  echo "install-deps: still missing after install: $STILL" >&2
  exit 1
fi
if [ $NEED_I386 = 1 ]; then
  # The 64-bit loader must start (wine-8 prints its version without a prefix). Whether the
  # 32-bit one starts depends on the machine; tools/ci/wine-env.sh finds that out.
  /usr/lib/wine/wine64 --version >/dev/null ||
    { echo "install-deps: 64-bit wine does not start" >&2; exit 1; }
fi
echo "install-deps: done"
