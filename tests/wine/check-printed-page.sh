#!/bin/sh
# Checks the page that tessaly.exe printed under Wine on scenarios/report.json: its text
# holds the report's headings, the system's line and the drive's and the disc's lines, and
# turns it into a picture beside it (PAGE.png) for a person to look at.
#
#   check-printed-page.sh PAGE.ps [SYSTEM-LINE]
#     SYSTEM-LINE  the start of the operating system's line (default: that of Windows 98,
#                  the end-to-end test's setting beside the virtual ASPI manager)
set -eu
[ $# = 1 ] || [ $# = 2 ] || { echo "usage: $0 PAGE.ps [SYSTEM-LINE]" >&2; exit 2; }
page=$1
system=${2:-Operating system: Windows 98}
[ -s "$page" ] || { echo "no printed page in $page" >&2; exit 1; }

text=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -o - "$page")
missing=0
for expected in \
  'Tessaly V1.19' 'System information' 'Copyright (C) 1998-2003 Varnoth Corporation' \
  'Software information' "$system" 'ASPI Manager' \
  'Hardware information' 'VARNOTH CD-R' 'VW1210A' 'V1.04 (S/N:000031) (1.2.5C)' \
  'Read speed: 14-32 X CAV, Jumper settings: 101, Buffer under run proof enabled' \
  'CD-R inserted' 'Taiyo Yuden (type 1)' 'Start Time of Lead In: 97m24s01f' \
  'Start Time of Lead Out: 79:59:74, LBA: 359999'; do
  if ! printf '%s\n' "$text" | grep -qF -- "$expected"; then
    echo "missing on the printed page: $expected" >&2
    missing=1
  fi
done
if [ "$missing" != 0 ]; then
  printf '%s\n' "--- text of the page:" "$text" >&2
  exit 1
fi
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r60 -o "${page%.ps}.png" "$page"
echo "printed page checked: ${page%.ps}.png"
