#!/bin/sh
# CTest emulator of the cross builds: runs a Windows exe in the project's Wine prefix of
# one runtime and returns the exe's exit code. Each cross build calls it through the
# wrapper build/<dir>/wine-run.sh, which names the build's runtime.
#
#   wine-run.sh [--arch=win32|win64] [--prefix=DIR] EXE [ARG...]
#     win32 (the default): 32-bit Wine, prefix build/wineprefix
#     win64: 64-bit Wine, prefix build/wineprefix64
#     --prefix: another prefix of that runtime, prepared by the caller's fixture
#     --preload: a library of the runtime's bitness for LD_PRELOAD, given to the exe and
#                the processes it starts (not to this script's helpers)
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
arch=win32
prefix=
preload=
while :; do
  case "${1:-}" in
    --arch=*) arch=${1#--arch=}; shift ;;
    --prefix=*) prefix=${1#--prefix=}; shift ;;
    --preload=*) preload=${1#--preload=}; shift ;;
    *) break ;;
  esac
done
tessaly_wine_env "$arch"
export WINEPREFIX="${prefix:-$TESSALY_WINE_PREFIX}"
if [ -n "$prefix" ]; then
  [ -f "$WINEPREFIX/.tessaly-prefix-ready" ] || { echo "no prepared prefix $prefix" >&2; exit 1; }
elif [ ! -f "$WINEPREFIX/.tessaly-prefix-ready" ]; then
  TESSALY_WINE_ARCH=$arch "$ROOT/tools/ci/wine-prefix.sh" --create >&2
fi
# Bring up the wineserver and Wine's helper processes with their stdio detached. Helpers
# started by the exe itself would inherit ctest's pipes, and ctest would wait for them after
# the exe has ended. Costs ~0.1 s when tools/ci/wine-prefix.sh has started them already.
"$TESSALY_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
if [ -n "$preload" ]; then
  # The loader program itself, not a wrapper script of the other bitness.
  LD_PRELOAD=$preload exec "$TESSALY_WINE_BINARY" "$@"
fi
exec "$TESSALY_WINE" "$@"
