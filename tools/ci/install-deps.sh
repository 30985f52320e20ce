#!/bin/sh
# Install the packages the Tessaly builds need on Debian 12. Idempotent: when everything
# is present it only runs dpkg-query and returns.
#
#   tools/ci/install-deps.sh            everything (native, cross + Wine, fuzz, bench, release)
#   tools/ci/install-deps.sh --native   only what the native program build needs
#
# The 32-bit packages (32-bit Wine, the -m32 compiler, the i386 X libraries) are asked for
# only where this machine starts i386 programs: a tiny i386 program carried below is run
# first. Where they cannot be installed (the mirror serving a broken i386 index, say), one
# line says so and the Windows tests run under 64-bit Wine (tools/ci/wine-env.sh).
# `apt-get update` is retried while the mirror is mid-sync; when it still fails, the
# package lists apt has are used as long as the packages install from them.
#
# Needs root (or sudo) only when something is missing.
set -eu

# cairo (through pkg-config) draws the Linux edition's PDF report.
NATIVE="g++ cmake ninja-build nlohmann-json3-dev googletest pkg-config libcairo2-dev groff-base"
# The QEMU guest test: the emulator, a static busybox for the guest's initramfs and the
# disc image maker. Its kernel is Debian's cloud kernel, fetched by the test itself with
# apt-get download (not installed).
GUEST="qemu-system-x86 busybox-static cpio genisoimage"
# The release files and their checks: the package tools, lintian, zip and man (the man
# page checker groff is a native package: its test runs in every native build).
RELEASE="dpkg-dev lintian zip unzip man-db"
# Wine is installed without its recommends (GL, GStreamer, SDL, ...); these small X client
# libraries from that list are kept so that windows render as on a full install.
X_LIBS="libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1"
# Everything a machine that runs 64-bit programs only needs: 64-bit Wine runs everywhere.
FULL="$NATIVE clang libclang-rt-14-dev libbenchmark-dev g++-mingw-w64-i686
      g++-mingw-w64-x86-64 wine wine64 xvfb xauth fonts-wine fonts-liberation2
      imagemagick ghostscript xdotool poppler-utils $GUEST $RELEASE
      $(for p in $X_LIBS; do printf '%s:amd64 ' "$p"; done)"
# Only where i386 programs start: 32-bit Wine, its X libraries, and g++-multilib for the
# 32-bit build (-m32) of the library preloaded into 32-bit Wine.
I386="wine32:i386 g++-multilib $(for p in $X_LIBS; do printf '%s:i386 ' "$p"; done)"

UPDATE_TRIES=${TESSALY_APT_UPDATE_TRIES:-4}
UPDATE_PAUSE=${TESSALY_APT_UPDATE_PAUSE:-15}

say() { echo "install-deps: $*"; }

# The smallest i386 Linux program: an ELF header, one program header and
# `xor ebx,ebx; mov bl,42; xor eax,eax; inc eax; int 80h` (exit 42). It needs no loader and
# no library, so it tells whether the kernel starts i386 programs at all.
starts_i386() {
  case "${TESSALY_STARTS_I386:-}" in 1) return 0 ;; 0) return 1 ;; esac  # tests only
  probe=$(mktemp)
  {
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000'
    printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010'
    printf '\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000'
    printf '\000\020\000\000\061\333\263\052\061\300\100\315\200'
  } >"$probe"
  chmod +x "$probe"
  set +e
  "$probe" 2>/dev/null
  rc=$?
  set -e
  rm -f "$probe"
  [ "$rc" = 42 ]
}

missing() { # PACKAGE...
  # dpkg-query prints one status line per known package; unknown ones go to stderr.
  for p in "$@"; do
    s=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$s" = installed ] || printf '%s ' "$p"
  done
}

# The first error line apt printed, for a one-line reason.
apt_reason() { # LOG
  grep -m 1 '^E:' "$1" 2>/dev/null | cut -c 1-300 || true
}

# apt-get update, retried while the mirror is mid-sync. Returns non-zero when every try
# failed; the caller goes on with the lists apt already has.
apt_update() {
  try=1
  while :; do
    if $SUDO apt-get update -q >"$LOG" 2>&1; then
      return 0
    fi
    if [ "$try" -ge "$UPDATE_TRIES" ]; then
      say "apt-get update failed $try times ($(apt_reason "$LOG")); going on with the package lists apt has"
      return 1
    fi
    say "apt-get update failed (try $try of $UPDATE_TRIES: $(apt_reason "$LOG")); again in $UPDATE_PAUSE s"
    sleep "$UPDATE_PAUSE"
    try=$((try + 1))
  done
}

apt_install() { # PACKAGE...
  $SUDO apt-get install -y -q --no-install-recommends "$@" >"$LOG" 2>&1
}

case "${1:-}" in
  --native) PACKAGES=$NATIVE; WANT_I386=0 ;;
  "")
    PACKAGES=$FULL
    if starts_i386; then
      WANT_I386=1
    else
      WANT_I386=0
      say "this machine does not start i386 programs: no 32-bit packages (the Windows tests run under 64-bit Wine)"
    fi
    ;;
  *) echo "usage: $0 [--native]" >&2; exit 2 ;;
esac

# shellcheck disable=SC2086
MISSING=$(missing $PACKAGES)
MISSING32=
ADD_I386=0
if [ $WANT_I386 = 1 ]; then
  # shellcheck disable=SC2086
  MISSING32=$(missing $I386)
  dpkg --print-foreign-architectures | grep -qx i386 || ADD_I386=1
fi
if [ -z "$MISSING$MISSING32" ] && [ $ADD_I386 = 0 ]; then
  say "all packages present"
  exit 0
fi

SUDO=
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null 2>&1 || { say "need root for: $MISSING$MISSING32" >&2; exit 1; }
  SUDO=sudo
fi
LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT

export DEBIAN_FRONTEND=noninteractive
if [ $ADD_I386 = 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
UPDATED=1
apt_update || UPDATED=0

if [ -n "$MISSING" ]; then
  say "installing: $MISSING"
  # shellcheck disable=SC2086
  if ! apt_install $MISSING; then
    # Lists from a failed update may lack a package that a later try of the mirror has.
    if [ $UPDATED = 0 ] && apt_update && apt_install $MISSING; then
      :
    else
      say "cannot install $MISSING($(apt_reason "$LOG"))" >&2
      exit 1
    fi
  fi
fi

if [ -n "$MISSING32" ]; then
  say "installing the 32-bit packages: $MISSING32"
  # shellcheck disable=SC2086
  if ! apt_install $MISSING32; then
    say "32-bit packages not installed: $MISSING32($(apt_reason "$LOG")); the Windows tests run under 64-bit Wine"
  fi
fi

# shellcheck disable=SC2086
STILL=$(missing $PACKAGES)
if [ -n "$STILL" ]; then
  say "still missing after install: $STILL" >&2
  exit 1
fi
if [ "${1:-}" != --native ]; then
  # The 64-bit loader must start (wine-8 prints its version without a prefix). Whether the
  # 32-bit one starts depends on the machine; tools/ci/wine-env.sh finds that out.
  "${TESSALY_WINE64_LOADER:-/usr/lib/wine/wine64}" --version >/dev/null ||
    { say "64-bit wine does not start" >&2; exit 1; }
fi
say "done"
