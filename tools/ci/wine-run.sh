#!/bin/sh
# CTest emulator of the cross builds: runs a Windows exe in the project's Wine prefix of
# one runtime and returns the exe's exit code. Each cross build calls it through the
# wrapper build/<dir>/wine-run.sh, which names the build's runtime.
#
#   wine-run.sh [--arch=win32|win64] EXE [ARG...]
#     win32 (the default): 32-bit Wine, prefix build/wineprefix
#     win64: 64-bit Wine, prefix build/wineprefix64
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
arch=win32
case "${1:-}" in
  --arch=*) arch=${1#--arch=}; shift ;;
esac
tessaly_wine_env "$arch"
export WINEPREFIX="$TESSALY_WINE_PREFIX"
[ -f "$WINEPREFIX/.tessaly-prefix-ready" ] ||
  TESSALY_WINE_ARCH=$arch "$ROOT/tools/ci/wine-prefix.sh" --create >&2
# Bring up the wineserver and Wine's helper processes with their stdio detached. Helpers
# started by the exe itself would inherit ctest's pipes, and ctest would wait for them after
# the exe has ended. Costs ~0.1 s when tools/ci/wine-prefix.sh has started them already.
"$TESSALY_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
exec "$TESSALY_WINE" "$@"
