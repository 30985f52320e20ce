#!/bin/sh
# Give the Wine prefix in $WINEPREFIX (created already) a PostScript printer, "Tessaly PS",
# as its default printer, and send every job printed on it to OUTPUT.ps. Each job replaces
# the file; an earlier file is removed here, so that what is there later is a new job.
# Programs print on it in the default (NT) version setting and in a Windows 9x one.
# TESSALY_WINE names the Wine loader for the prefix's runtime (default: wine; for a
# 64-bit prefix, /usr/lib/wine/wine64).
#
#   TESSALY_PRINTER_TOOL=build/cross/tools/printer/add_file_printer.exe \
#     tools/ci/wine-printer.sh OUTPUT.ps
#
# Running it again is harmless; it then only points the printer at the new file.
# gs turns the file into a picture (-sDEVICE=pnggray) or its text (-sDEVICE=txtwrite).
set -eu

die() {
  echo "wine-printer: $*" >&2
  exit 1
}

[ $# -eq 1 ] || die "usage: wine-printer.sh OUTPUT.ps"
[ -n "${WINEPREFIX:-}" ] || die "WINEPREFIX is not set"
[ -f "$WINEPREFIX/system.reg" ] || die "no Wine prefix in $WINEPREFIX"
TOOL=${TESSALY_PRINTER_TOOL:-}
[ -n "$TOOL" ] || die "TESSALY_PRINTER_TOOL is not set (the path of add_file_printer.exe)"
[ -f "$TOOL" ] || die "no file $TOOL (TESSALY_PRINTER_TOOL)"
export WINEDEBUG="${WINEDEBUG:--all}"
WINE=${TESSALY_WINE:-wine}

# The spooler opens the Unix path when a job ends: with its directory missing, EndDoc fails.
DIR=$(dirname "$1")
mkdir -p "$DIR"
OUT="$(cd "$DIR" && pwd)/$(basename "$1")"
[ -w "$DIR" ] || die "cannot write to $DIR"
rm -f "$OUT"
[ ! -e "$OUT" ] || die "cannot replace $OUT"

# Bring up the wineserver and Wine's helper processes with their stdio detached, so that
# they do not hold a caller's pipes open.
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true

"$WINE" "$TOOL" </dev/null >/dev/null || die "$(basename "$TOOL") failed"
"$WINE" reg add 'HKCU\Software\Wine\Printing\Spooler' /v LPT1: /d "$OUT" /f \
  </dev/null >/dev/null 2>&1 || die "could not set the spooler's LPT1: to $OUT"

# A job goes to this file only while the printer is the default and LPT1: names it.
"$WINE" reg query 'HKCU\Software\Wine\Printing\Spooler' /v LPT1: </dev/null 2>/dev/null |
  tr -d '\r' | grep -qF "$OUT" || die "the spooler's LPT1: is not $OUT"
"$WINE" reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device \
  </dev/null 2>/dev/null | tr -d '\r' | grep -qF 'Tessaly PS,' ||
  die "Tessaly PS is not the default printer"
echo "wine-printer: jobs on Tessaly PS go to $OUT"
