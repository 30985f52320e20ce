#!/bin/sh
# Prepares the Wine prefix of the cross-built tests for an exe that loads the virtual
# wnaspi32.dll: the DLL beside the exe is loaded instead of Wine's own, and the exe sees
# the given Windows version. Idempotent; run by ctest as a fixture before the test.
#
#   prepare-prefix.sh WINE-RUN EXE-NAME VERSION
#     WINE-RUN  tools/ci/wine-run.sh (runs wine in the tests' prefix)
#     EXE-NAME  e.g. wnaspi32_wine_test.exe
#     VERSION   a Wine version name: win95, win98, winme, nt40, ...
set -eu
[ $# = 3 ] || { echo "usage: $0 WINE-RUN EXE-NAME VERSION" >&2; exit 2; }
run=$1 exe=$2 version=$3

"$run" reg add 'HKCU\Software\Wine\DllOverrides' /v wnaspi32 /d native,builtin /f \
  </dev/null >/dev/null
"$run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d "$version" /f \
  </dev/null >/dev/null
echo "prepared: wnaspi32=native,builtin; $exe runs as $version"
