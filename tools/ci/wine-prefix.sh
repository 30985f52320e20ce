#!/bin/sh
# Create the Wine prefix the cross-built tests run in, once; it is reused while it exists.
# TESSALY_WINE_ARCH chooses the runtime: win32 (the default; 32-bit Wine, build/wineprefix)
# or win64 (64-bit Wine, build/wineprefix64). Then start a persistent wineserver and Wine's helper processes,
# detached from our stdout/stderr, so that later wine starts are fast and ctest does not
# wait for helpers that hold its pipes.
#
#   tools/ci/wine-prefix.sh            create if needed, then start the server
#   tools/ci/wine-prefix.sh --create   create if needed only
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tools/ci/wine-env.sh"
tessaly_wine_env "${TESSALY_WINE_ARCH:-win32}"
export WINEPREFIX="$TESSALY_WINE_PREFIX"
READY="$WINEPREFIX/.tessaly-prefix-ready"

create() {
  [ -f "$READY" ] && return 0
  echo "wine-prefix: creating $WINEPREFIX"
  start=$(date +%s)
  [ -d "$WINEPREFIX" ] && { wineserver -k 2>/dev/null || true; }
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No Mono or Gecko: their installers would ask to download.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$TESSALY_WINE" wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  # Debian's wine rejects the path it looks for its own fonts at; without these links
  # "MS Sans Serif" falls back to DejaVu Sans and dialogs come out too wide.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # A virtual desktop gives windows a title bar and avoids a 2 s stall per EndDialog on a
  # bare X server. The override loads a wnaspi32.dll found beside the exe, not Wine's own.
  reg="$WINEPREFIX/drive_c/tessaly-setup.reg"
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"wnaspi32"="native,builtin"
EOF
  WINEDLLOVERRIDES="mscoree,mshtml=" "$TESSALY_WINE" regedit /S 'C:\tessaly-setup.reg' \
    </dev/null >/dev/null 2>&1
  rm -f "$reg"
  wineserver -w
  # regedit writes the registry files when the server ends; check that the keys landed.
  grep -q '"wnaspi32"="native,builtin"' "$WINEPREFIX/user.reg" || {
    echo "wine-prefix: registry set-up did not stick" >&2; exit 1; }
  touch "$READY"
  echo "wine-prefix: created in $(( $(date +%s) - start )) s"
}

# Serialise creation: ctest may start several emulators at once.
mkdir -p "$ROOT/build"
exec 9>"$ROOT/build/.$(basename "$WINEPREFIX").lock"
flock 9
create
flock -u 9

if [ "${1:-}" != --create ]; then
  wineserver -p </dev/null >/dev/null 2>&1
  "$TESSALY_WINE" cmd /c exit </dev/null >/dev/null 2>&1
  echo "wine-prefix: wineserver running for $WINEPREFIX"
fi
