#!/bin/sh
# CTest emulator of the cross build (see cmake/toolchain-mingw32.cmake): runs a Windows exe
# in the project's Wine prefix, build/wineprefix, and returns the exe's exit code.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$ROOT/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
[ -f "$WINEPREFIX/.tessaly-prefix-ready" ] || "$ROOT/tools/ci/wine-prefix.sh" --create >&2
# Bring up the wineserver and Wine's helper processes with their stdio detached. Helpers
# started by the exe itself would inherit ctest's pipes, and ctest would wait for them after
# the exe has ended. Costs ~0.1 s when tools/ci/wine-prefix.sh has started them already.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
exec wine "$@"
