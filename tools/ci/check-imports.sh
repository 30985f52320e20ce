#!/bin/sh
# Fails when a Windows executable imports a DLL outside the system's own set or a
# function that the oldest Windows it is built for lacks: Windows 95 and XP for a 32-bit
# exe, Windows XP x64 for a 64-bit one (a 64-bit exe has no Windows 9x to load on).
# Each FUNCTION named after the file must be among the imports.
#   tools/ci/check-imports.sh FILE.exe [FUNCTION...]
set -eu
exe="$1"
shift
objdump=
for tool in i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump; do
  if "$tool" -f "$exe" >/dev/null 2>&1; then objdump=$tool; break; fi
done
[ -n "$objdump" ] || { echo "$exe: not a Windows executable that objdump reads"; exit 1; }
case "$("$objdump" -f "$exe")" in
  *pei-x86-64*) oldest="Windows XP x64" ;;
  *) oldest="Windows 95 or XP" ;;
esac
imports=$("$objdump" -p "$exe" |
  sed -n '/The Import Tables/,/The Export Tables\|^Sections/p' |
  awk '/DLL Name/ {print "dll", $3; next} /^\t[0-9a-f]+\t/ {print "fn", $NF}')
bad=0
# DLL names are compared in upper case: the linker keeps the import library's spelling.
for dll in $(echo "$imports" | awk '$1 == "dll" {print toupper($2)}'); do
  case "$dll" in
    ADVAPI32.DLL|COMDLG32.DLL|GDI32.DLL|KERNEL32.DLL|MSVCRT.DLL|SHELL32.DLL|USER32.DLL|VERSION.DLL) ;;
    *) echo "unexpected DLL: $dll"; bad=1 ;;
  esac
done
for fn in GetTickCount64 AddVectoredExceptionHandler RemoveVectoredExceptionHandler \
          GetHandleInformation InitializeCriticalSectionEx SetThreadStackGuarantee \
          InitOnceExecuteOnce GetSystemTimePreciseAsFileTime InitializeSRWLock \
          InitializeConditionVariable; do
  if echo "$imports" | awk '$1 == "fn" {print $2}' | grep -qx "$fn"; then
    echo "imports $fn, which $oldest lacks"; bad=1
  fi
done
for fn in "$@"; do
  if ! echo "$imports" | awk '$1 == "fn" {print $2}' | grep -qx "$fn"; then
    echo "does not import $fn"; bad=1
  fi
done
[ "$bad" = 0 ] && echo "$(basename "$exe"): imports only what $oldest has"
exit "$bad"
