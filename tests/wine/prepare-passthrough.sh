#!/bin/sh
# Prepares a Wine prefix of its own for the end-to-end test of the program on the
# pass-through path: every lettered drive of the scenario is a CD-ROM drive whose device
# is a backing file that the preloaded library (tools/sgshim) serves as a SCSI CD-ROM,
# each adapter's first such drive also stands behind \\.\SCSIn:, no wnaspi32.dll is in the
# prefix (and Wine's own is disabled), and the default printer writes to OUTPUT.ps. Wine's
# mount manager reads the drives when it starts: the script ends with a running
# wineserver (without the library) and Wine's helper processes started with it, so that
# the mount manager sees the devices as the program does. Run by ctest as a fixture; the
# prefix is copied from the runtime's test prefix (made when missing).
#
#   prepare-passthrough.sh WINE-ARCH PREFIX SHIM-DIR SCENARIO DEVICE-DIR PRINTER-TOOL OUTPUT.ps
#     WINE-ARCH     win32 or win64
#     PREFIX        the prefix to make, e.g. build/cross/wineprefix-passthrough
#     SHIM-DIR      the build of the library of the runtime's bitness (tools/sgshim in it)
#     SCENARIO      the scenario the library serves
#     DEVICE-DIR    where the backing files go
#     PRINTER-TOOL  add_file_printer.exe
set -eu
[ $# = 7 ] || {
  echo "usage: $0 WINE-ARCH PREFIX SHIM-DIR SCENARIO DEVICE-DIR PRINTER-TOOL OUTPUT.ps" >&2
  exit 2
}
arch=$1 prefix=$2 shim_dir=$3 scenario=$4 devices=$5 tool=$6 output=$7
here=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$here/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
tessaly_wine_env "$arch"
library="$shim_dir/tools/sgshim/libtessaly_sgshim.so"
map_tool="$shim_dir/tools/sgshim/tessaly-sgshim-map"
for f in "$library" "$map_tool"; do
  [ -f "$f" ] || {
    echo "no $f: build the library of this runtime first (tools/ci/test.sh, stage sgshim)" >&2
    exit 1
  }
done
drives=$("$map_tool" "$scenario")
[ -n "$drives" ] || { echo "$scenario has no drive with a letter" >&2; exit 1; }

# The prefix: a copy of the runtime's test prefix, made once.
TESSALY_WINE_ARCH=$arch "$ROOT/tools/ci/wine-prefix.sh" --create
export WINEPREFIX="$prefix"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
if [ ! -f "$prefix/.tessaly-prefix-ready" ]; then
  # Whole or not at all: the copy is made beside it and then renamed.
  rm -rf "$prefix" "$prefix.copy"
  mkdir -p "$(dirname "$prefix")"
  cp -a "$TESSALY_WINE_PREFIX" "$prefix.copy"
  mv "$prefix.copy" "$prefix"
fi

# The drives: the letter's root directory, its device, the port devices.
rm -rf "$devices"
mkdir -p "$devices"
reg="$prefix/drive_c/tessaly-passthrough.reg"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n' >"$reg"
rm -f "$prefix"/dosdevices/scsi*:
echo "$drives" | while read -r letter adapter target; do
  : >"$devices/$letter"
  mkdir -p "$devices/$letter-root"
  ln -sfn "$devices/$letter-root" "$prefix/dosdevices/$letter:"
  ln -sfn "$devices/$letter" "$prefix/dosdevices/$letter::"
  [ -e "$prefix/dosdevices/scsi$adapter:" ] ||
    ln -sfn "$devices/$letter" "$prefix/dosdevices/scsi$adapter:"
  printf '"%s:"="cdrom"\n' "$letter" >>"$reg"
  echo "drive $letter: adapter $adapter target $target -> $devices/$letter"
done
# No ASPI manager: Wine's own wnaspi32.dll is removed and disabled.
rm -f "$prefix"/drive_c/windows/system32/wnaspi32.dll "$prefix"/drive_c/windows/syswow64/wnaspi32.dll
printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\n"wnaspi32"=""\n' >>"$reg"
"$TESSALY_WINE" regedit /S 'C:\tessaly-passthrough.reg' </dev/null >/dev/null 2>&1
rm -f "$reg"
TESSALY_PRINTER_TOOL="$tool" "$ROOT/tools/ci/wine-printer.sh" "$output"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
grep -q '"wnaspi32"=""' "$prefix/user.reg" || { echo "registry set-up did not stick" >&2; exit 1; }

# A persistent server without the library, then Wine's helpers (the mount manager among
# them) with it. The tests' cleanup stops the server.
wineserver -p </dev/null >/dev/null 2>&1
TESSALY_SGSHIM_SCENARIO="$scenario" TESSALY_SGSHIM_DEVICES="$devices" LD_PRELOAD="$library" \
  "$TESSALY_WINE_BINARY" cmd /c exit </dev/null >/dev/null 2>&1
touch "$prefix/.tessaly-prefix-ready"
echo "prepared $prefix: no wnaspi32.dll; printer writes to $output"
