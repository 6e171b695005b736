#!/bin/sh
# A DLL planted beside Pendrix.exe and pendrix-cli.exe, named like one of
# Windows' own, is never loaded by them, though Wine is told to prefer a
# native copy of it (a DLL override "n,b"). Each planted DLL leaves a mark
# when it is loaded (planted_mark.cpp). First a program in the same folder
# that does not restrict where DLLs come from shows that each one is taken
# from there; then Pendrix.exe opens and cancels its open dialog and
# pendrix-cli.exe lists, and no mark may appear.
#
# The names are the common dialogs and what they bring, which the programs
# load once a "..." button is used. Wine takes what its own DLLs import at
# start, and what they load for themselves later (uxtheme and ole32 among
# them), from the program's folder whatever the program asks, so those
# cannot be shown here; on Windows they are known DLLs or come from the
# system folder.
#
# Usage: planted_dll_test.sh PENDRIX.exe PENDRIX_CLI.exe HELPER.exe MARK.dll FOLDER
# (WINEPREFIX set, a display for the window)
set -eu
pendrix=$1
cli=$2
helper=$3
mark=$4
folder=$5
names="comdlg32 shell32 shlwapi oleaut32 shcore propsys"

rm -rf "$folder"
mkdir -p "$folder"
cp "$pendrix" "$cli" "$helper" "$folder/"
for name in $names; do cp "$mark" "$folder/$name.dll"; done
WINEDLLOVERRIDES="mscoree,mshtml=;$(echo $names | tr ' ' ',')=n,b"
export WINEDLLOVERRIDES

windows_path() { echo "Z:$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" | tr / '\\'; }
marks() { (cd "$folder" && ls -- *.loaded 2>/dev/null) | tr '\n' ' '; }

wine "$folder/$(basename "$helper")" load $(for name in $names; do printf '%s.dll ' "$name"; done) >/dev/null 2>&1
for name in $names; do
    if [ ! -e "$folder/$name.dll.loaded" ]; then
        echo "FAILED: the planted $name.dll was not loaded even by a program that does not restrict its search"
        exit 1
    fi
done
echo "a program that does not restrict its search loaded: $(marks)"
rm -f "$folder"/*.loaded

status=0
step=0
wine "$helper" browse "$(windows_path "$folder/$(basename "$pendrix")")" >/dev/null 2>&1 || step=$?
if [ "$step" -ne 0 ]; then
    echo "FAILED: Pendrix.exe's open dialog did not come up and close (step $step)"
    status=1
fi
code=0
wine "$folder/$(basename "$cli")" list >/dev/null 2>&1 || code=$?
if [ "$code" -ne 0 ]; then
    echo "FAILED: pendrix-cli list exited with $code"
    status=1
fi
left=$(marks)
if [ -n "$left" ]; then
    echo "FAILED: planted DLLs were loaded: $left"
    status=1
fi
[ "$status" -eq 0 ] && echo "no planted DLL was loaded by Pendrix.exe or pendrix-cli.exe"
rm -rf "$folder"
exit $status
