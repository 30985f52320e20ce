#!/bin/sh
# Prepares the Wine prefix of the cross-built tests for the end-to-end test of tessaly.exe:
# the virtual wnaspi32.dll beside it is loaded, it runs as Windows 98, and the default
# printer is a PostScript printer that writes each job to OUTPUT.ps. A probe page, printed
# in the same Windows 98 setting, shows that the printer works before the program uses it.
# Idempotent; run by ctest as a fixture before the test.
#
#   prepare-tessaly-exe.sh WINE-RUN PRINTER-TOOL PRINT-PROBE OUTPUT.ps
#     WINE-RUN      tools/ci/wine-run.sh (runs wine in the tests' prefix, build/wineprefix)
#     PRINTER-TOOL  add_file_printer.exe
#     PRINT-PROBE   print_probe.exe
set -eu
[ $# = 4 ] || { echo "usage: $0 WINE-RUN PRINTER-TOOL PRINT-PROBE OUTPUT.ps" >&2; exit 2; }
run=$1 tool=$2 probe=$3 output=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

"$here/prepare-prefix.sh" "$run" tessaly.exe win98
"$here/prepare-prefix.sh" "$run" print_probe.exe win98
WINEPREFIX="$root/build/wineprefix" WINEARCH=win32 TESSALY_PRINTER_TOOL="$tool" \
  "$root/tools/ci/wine-printer.sh" "$output"
"$run" "$probe" </dev/null || { echo "the probe page did not print" >&2; exit 1; }
grep -q '%%EOF' "$output" || { echo "the probe page is not in $output" >&2; exit 1; }
rm -f "$output"
echo "printer ready: probe page printed to $output"
