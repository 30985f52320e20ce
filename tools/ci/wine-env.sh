# Sourced by the scripts that run Windows programs: the Wine runtime of one bitness.
#
#   tessaly_wine_env ARCH     ARCH win32 or win64. Sets and exports WINEARCH, WINEDEBUG
#                             (unless set), TESSALY_WINE (the loader to start programs
#                             with) and, for win64, WINELOADER; sets TESSALY_WINE_PREFIX
#                             (build/wineprefix or build/wineprefix64 under ROOT) and
#                             TESSALY_WINE_BINARY (the runtime's own loader program, for a
#                             start whose environment must reach Wine's processes only).
#   tessaly_detect_wine_arch  Sets TESSALY_WINE_ARCH and TESSALY_WINE_ARCH_REASON: the
#                             value given in TESSALY_WINE_ARCH, else win32 when Wine's
#                             32-bit loader is installed and starts on this machine, else win64.
#
# The `wine` wrapper picks the 32-bit loader for a 32-bit program and, on a machine whose
# kernel runs no i386 programs, fails; 64-bit programs are started with wine64 directly.
# wineserver is the same for both: Debian's script prefers the 64-bit server.
# shellcheck shell=sh

TESSALY_WINE32_LOADER=/usr/lib/wine/wine
TESSALY_WINE64_LOADER=/usr/lib/wine/wine64

tessaly_wine_env() {
  case "$1" in
    win32)
      TESSALY_WINE=wine
      TESSALY_WINE_BINARY=$TESSALY_WINE32_LOADER
      TESSALY_WINE_PREFIX="$ROOT/build/wineprefix"
      ;;
    win64)
      TESSALY_WINE=$TESSALY_WINE64_LOADER
      TESSALY_WINE_BINARY=$TESSALY_WINE64_LOADER
      WINELOADER=$TESSALY_WINE64_LOADER
      export WINELOADER
      TESSALY_WINE_PREFIX="$ROOT/build/wineprefix64"
      ;;
    *)
      echo "unknown Wine runtime '$1' (win32 or win64)" >&2
      return 2
      ;;
  esac
  WINEARCH=$1
  WINEDEBUG=${WINEDEBUG:--all}
  export WINEARCH WINEDEBUG TESSALY_WINE
}

tessaly_detect_wine_arch() {
  case "${TESSALY_WINE_ARCH:-}" in
    win32|win64)
      TESSALY_WINE_ARCH_REASON="forced by TESSALY_WINE_ARCH"
      return 0
      ;;
    "") ;;
    *)
      echo "TESSALY_WINE_ARCH must be win32 or win64, not '$TESSALY_WINE_ARCH'" >&2
      return 2
      ;;
  esac
  # Where 32-bit Wine was never installed (the machine starts no i386 programs, or the
  # mirror had no usable i386 packages) there is nothing to start.
  if [ ! -e "$TESSALY_WINE32_LOADER" ]; then
    TESSALY_WINE_ARCH=win64
    TESSALY_WINE_ARCH_REASON="32-bit Wine is not installed ($TESSALY_WINE32_LOADER: not found)"
    return 0
  fi
  # Start an i386 program: Wine's 32-bit loader prints its version without a prefix.
  if out=$("$TESSALY_WINE32_LOADER" --version 2>&1); then
    TESSALY_WINE_ARCH=win32
    TESSALY_WINE_ARCH_REASON="this machine starts i386 programs ($TESSALY_WINE32_LOADER: $out)"
  else
    TESSALY_WINE_ARCH=win64
    TESSALY_WINE_ARCH_REASON="this machine does not start i386 programs ($TESSALY_WINE32_LOADER: $(printf '%s' "$out" | head -n 1))"
  fi
}
