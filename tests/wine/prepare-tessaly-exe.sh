#!/bin/sh
# Prepares the Wine prefix of the cross-built tests for the end-to-end test of the program
# (tessaly.exe, or tessaly64.exe in the 64-bit build): the virtual wnaspi32.dll beside it
# is loaded, it runs as Windows 98, and the default printer is a PostScript printer that
# writes each job to OUTPUT.ps (at Wine's 300 dpi); a second one on the same port, "Tessaly
# PS 600 dpi", prints at 600 dpi. A probe page, printed in the same Windows 98 setting,
# shows that the printer works before the program uses it. Idempotent; run by ctest as a fixture
# before the test.
#
#   prepare-tessaly-exe.sh WINE-RUN WINE-ARCH PROGRAM PRINTER-TOOL PRINT-PROBE OUTPUT.ps
#     WINE-RUN      the build's wine-run.sh (runs wine in the tests' prefix)
#     WINE-ARCH     the build's Wine runtime, win32 or win64
#     PROGRAM       the program's file name, tessaly.exe or tessaly64.exe
#     PRINTER-TOOL  add_file_printer.exe
#     PRINT-PROBE   print_probe.exe
set -eu
[ $# = 6 ] || {
  echo "usage: $0 WINE-RUN WINE-ARCH PROGRAM PRINTER-TOOL PRINT-PROBE OUTPUT.ps" >&2
  exit 2
}
run=$1 arch=$2 program=$3 tool=$4 probe=$5 output=$6
here=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$here/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
tessaly_wine_env "$arch"

"$here/prepare-prefix.sh" "$run" "$program" win98
"$here/prepare-prefix.sh" "$run" print_probe.exe win98
# First the second printer: the default printer's set-up below makes the first the default.
"$run" "$tool" --resolution=600 </dev/null ||
  { echo "the 600 dpi printer was not added" >&2; exit 1; }
WINEPREFIX="$TESSALY_WINE_PREFIX" TESSALY_PRINTER_TOOL="$tool" \
  "$ROOT/tools/ci/wine-printer.sh" "$output"
"$run" "$probe" </dev/null || { echo "the probe page did not print" >&2; exit 1; }
grep -q '%%EOF' "$output" || { echo "the probe page is not in $output" >&2; exit 1; }
rm -f "$output"
echo "printer ready: probe page printed to $output"
