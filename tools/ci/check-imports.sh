#!/bin/sh
# Fails when a Windows executable imports a DLL outside the system's own set or a
# function that Windows 95 or XP lack.
#   tools/ci/check-imports.sh FILE.exe
set -eu
exe="$1"
imports=$(i686-w64-mingw32-objdump -p "$exe" |
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
    echo "imports $fn, which Windows 95 or XP lacks"; bad=1
  fi
done
[ "$bad" = 0 ] && echo "$(basename "$exe"): imports only what Windows XP has"
exit "$bad"
