#!/bin/sh
# Fails when the program imports a DLL that is not one of Windows' own.
# Usage: imports_test.sh PROGRAM.exe
set -eu
allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll"
imports=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
[ -n "$imports" ] || { echo "no imports found in $1" >&2; exit 1; }
status=0
for dll in $imports; do
    case " $allowed " in
    *" $dll "*) echo "imports $dll" ;;
    *) echo "imports $dll, which is not one of Windows' own DLLs" >&2; status=1 ;;
    esac
done
exit $status
