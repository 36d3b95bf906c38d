#!/usr/bin/env bash
# Checks that the shipped program is a 32-bit Windows GUI program for Intel 80386 that
# imports system DLLs only.
set -euo pipefail
exe="$1"
[ -f "$exe" ] || { echo "missing: $exe"; exit 1; }

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || { echo "not PE32 for i386"; exit 1; }
grep -q 'Subsystem.*0*2.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program"; exit 1; }

system_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|MSVCRT|CRTDLL|ADVAPI32|SHELL32|api-ms-win-.*)\.dll$'
status=0
while read -r dll; do
    if ! grep -qiE "$system_dlls" <<<"$dll"; then
        echo "imports a DLL that is not a system DLL: $dll"
        status=1
    fi
done < <(grep 'DLL Name:' <<<"$headers" | awk '{print $3}')
echo "imports: $(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | tr '\n' ' ')"
exit $status
