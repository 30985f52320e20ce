#!/bin/sh
# Start the program under Wine on a bundled scenario, with the virtual wnaspi32.dll
# beside it, and save a screenshot of its main window.
#
#   tools/ci/screenshot.sh [SCENARIO.json [OUT.png [WINE-VERSION]]]
#     defaults: scenarios/win98.json, build/screenshot/main-window.png, win98
#
# TESSALY_WINE_ARCH chooses the program: win32 (the default) tessaly.exe under 32-bit
# Wine, win64 tessaly64.exe and a 64-bit wnaspi32.dll under 64-bit Wine. Builds them in
# build/cross (build/cross64), runs them in a Wine prefix of its own
# (build/wineprefix-screenshot, build/wineprefix-screenshot64; made once), and starts Xvfb
# when there is no display. TESSALY_BUILD_DIR and TESSALY_SCREENSHOT_PREFIX choose other
# directories for these.
#
# TESSALY_SCREENSHOT_PASSTHROUGH=1: the program without any wnaspi32.dll, on Wine's SCSI
# pass-through, with the scenario's lettered drives served by the preloaded library
# (tools/sgshim, built here for the runtime's bitness) in a prefix that
# tests/wine/prepare-passthrough.sh makes (build/wineprefix-screenshot-passthrough[64]).
# WINE-VERSION "default" leaves Wine's own version setting.
#
# TESSALY_SCREENSHOT_DPI=N: the screen's resolution in dots per inch that the program
# sees (HKCU\Control Panel\Desktop LogPixels; default 96, 144 is a scale of 150 %), set in
# the prefix before each start.
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
ARCH=${TESSALY_WINE_ARCH:-win32}
tessaly_wine_env "$ARCH"
case "$ARCH" in
  win64) SUFFIX=64 TOOLCHAIN=toolchain-mingw64.cmake PROGRAM=tessaly64.exe ;;
  *) SUFFIX= TOOLCHAIN=toolchain-mingw32.cmake PROGRAM=tessaly.exe ;;
esac
SCENARIO=$(realpath "${1:-$ROOT/scenarios/win98.json}")
OUT=$(realpath -m "${2:-$ROOT/build/screenshot/main-window.png}")
VERSION=${3:-win98}
BUILD=${TESSALY_BUILD_DIR:-$ROOT/build/cross$SUFFIX}
RUN="$(dirname "$BUILD")/screenshot$SUFFIX"
DELAY=${TESSALY_SCREENSHOT_DELAY:-6}
DPI=${TESSALY_SCREENSHOT_DPI:-96}
case "$DPI" in
  ''|*[!0-9]*) echo "screenshot: TESSALY_SCREENSHOT_DPI must be a number, not '$DPI'" >&2; exit 2 ;;
esac
PASSTHROUGH=${TESSALY_SCREENSHOT_PASSTHROUGH:-}
if [ -n "$PASSTHROUGH" ]; then
  DEFAULT_PREFIX=$ROOT/build/wineprefix-screenshot-passthrough$SUFFIX
  RUN="$RUN-passthrough"
else
  DEFAULT_PREFIX=$ROOT/build/wineprefix-screenshot$SUFFIX
fi
export WINEPREFIX=${TESSALY_SCREENSHOT_PREFIX:-$DEFAULT_PREFIX}
export LC_ALL=C.UTF-8 LANG=C.UTF-8
WINE=$TESSALY_WINE

"$ROOT/tools/ci/install-deps.sh" >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$TOOLCHAIN" -DTESSALY_BENCH=OFF >&2
cmake --build "$BUILD" --target tessaly wnaspi32 add_file_printer >&2
mkdir -p "$RUN" "$(dirname "$OUT")"
rm -f "$RUN/wnaspi32.dll"
cp "$BUILD/$PROGRAM" "$RUN/"
[ -n "$PASSTHROUGH" ] || cp "$BUILD/wnaspi32/wnaspi32.dll" "$RUN/"

XVFB_PID= APP_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  i=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    i=$((i + 1))
    [ $i -gt 100 ] && { echo "screenshot: Xvfb :$n did not start" >&2; exit 1; }
    sleep 0.1
  done
  export DISPLAY=":$n"
fi

# The screen resolution every program of the prefix reads at its start (Wine's own
# per-user setting, and the current configuration's, which older Wine reads).
set_dpi() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f \
    >/dev/null 2>&1
  "$WINE" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
  # Wine's desktop process read the old value when it started: start afresh.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

if [ -n "$PASSTHROUGH" ]; then
  case "$ARCH" in
    win64) SHIM=$ROOT/build/native
      cmake -S "$ROOT" -B "$SHIM" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2 ;;
    *) SHIM=$ROOT/build/sgshim32
      cmake -S "$ROOT" -B "$SHIM" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-m32 \
        -DTESSALY_TESTS=OFF -DTESSALY_BENCH=OFF >&2 ;;
  esac
  cmake --build "$SHIM" --target tessaly_sgshim tessaly-sgshim-map >&2
  "$ROOT/tests/wine/prepare-passthrough.sh" "$ARCH" "$WINEPREFIX" "$SHIM" "$SCENARIO" \
    "$RUN/devices" "$BUILD/tools/printer/add_file_printer.exe" "$RUN/printed.ps" >&2
  if [ "$VERSION" = default ]; then
    "$WINE" reg delete "HKCU\\Software\\Wine\\AppDefaults\\$PROGRAM" /v Version /f \
      >/dev/null 2>&1 || true
  else
    "$WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$PROGRAM" /v Version /d "$VERSION" /f \
      >/dev/null 2>&1
  fi
  set_dpi
  cd "$RUN"
  TESSALY_SGSHIM_SCENARIO="$SCENARIO" TESSALY_SGSHIM_DEVICES="$RUN/devices" \
    LD_PRELOAD="$SHIM/tools/sgshim/libtessaly_sgshim.so" \
    "$TESSALY_WINE_BINARY" "$PROGRAM" </dev/null >/dev/null 2>&1 &
  APP_PID=$!
elif [ ! -f "$WINEPREFIX/.tessaly-prefix-ready" ]; then
  echo "screenshot: creating $WINEPREFIX" >&2
  WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  # Wine's own fonts (else "MS Sans Serif" falls back to a wider font) and a virtual
  # desktop of 800 x 600, which gives windows their title bars.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  # The desktop setting takes effect only for a new server: a window opened under the
  # server that wrote it would have no title bar.
  wineserver -w
  touch "$WINEPREFIX/.tessaly-prefix-ready"
fi
if [ -z "$PASSTHROUGH" ]; then
  # The DLL beside the exe instead of Wine's own, and the Windows version the exe sees.
  "$WINE" reg add 'HKCU\Software\Wine\DllOverrides' /v wnaspi32 /d native,builtin /f \
    >/dev/null 2>&1
  "$WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$PROGRAM" /v Version /d "$VERSION" /f \
    >/dev/null 2>&1
  set_dpi
  cd "$RUN"
  TESSALY_SCENARIO="$SCENARIO" "$WINE" "$PROGRAM" </dev/null >/dev/null 2>&1 &
  APP_PID=$!
fi
sleep "$DELAY"
kill -0 "$APP_PID" 2>/dev/null || { echo "screenshot: $PROGRAM has ended" >&2; exit 1; }

# The window sits at the desktop's top left corner: cut the desktop away around it.
import -window root "$RUN/root.png"
convert "$RUN/root.png" -crop 800x600+0+0 +repage "$RUN/desktop.png"
BACKGROUND=$(convert "$RUN/desktop.png" -format '%[pixel:p{799,599}]' info:)
convert "$RUN/desktop.png" -bordercolor "$BACKGROUND" -border 1 -trim +repage "$OUT"
echo "screenshot: $OUT ($(identify -format '%wx%h' "$OUT"))"
