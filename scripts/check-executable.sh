#!/usr/bin/env bash
# Checks that the shipped program is a 32-bit Windows GUI program for Intel 80386 of at most
# 36 KiB, that Windows may load at a random base with non-executable data and give 4 GB of
# address space, and that it imports system DLLs only.
set -euo pipefail
exe="$1"
[ -f "$exe" ] || { echo "missing: $exe"; exit 1; }

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || { echo "not PE32 for i386"; exit 1; }
grep -q 'Subsystem.*0*2.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program"; exit 1; }

size=$(stat -c %s "$exe")
# 32 KiB until the list kept its rows' selection itself and the fields were read as wide
# text (35,328 bytes then); the bound still catches a library or a table that slips in.
max_size=36864
[ "$size" -le "$max_size" ] || { echo "$size bytes, more than $max_size"; exit 1; }

# The flag words as objdump prints them, in hexadecimal.
flags() { awk -v name="$1" '$1 == name { sub(/^0x/, "", $2); print $2; exit }' <<<"$headers"; }
characteristics=$((16#$(flags Characteristics)))
dll_characteristics=$((16#$(flags DllCharacteristics)))
# IMAGE_FILE_RELOCS_STRIPPED: without base relocations a random base cannot be taken.
((characteristics & 0x0001)) && { echo "base relocations stripped"; exit 1; }
# IMAGE_FILE_LARGE_ADDRESS_AWARE: without it 64-bit Windows gives the program 2 GB, not 4.
((characteristics & 0x0020)) || { echo "not LARGE_ADDRESS_AWARE"; exit 1; }
((dll_characteristics & 0x0040)) || { echo "not DYNAMIC_BASE"; exit 1; }
((dll_characteristics & 0x0100)) || { echo "not NX_COMPAT"; exit 1; }

system_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|MSVCRT|CRTDLL|ADVAPI32|SHELL32|api-ms-win-.*)\.dll$'
status=0
while read -r dll; do
    if ! grep -qiE "$system_dlls" <<<"$dll"; then
        echo "imports a DLL that is not a system DLL: $dll"
        status=1
    fi
done < <(grep 'DLL Name:' <<<"$headers" | awk '{print $3}')
echo "$size bytes, Characteristics 0x$(flags Characteristics), DllCharacteristics 0x$(flags DllCharacteristics)," \
    "imports: $(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | tr '\n' ' ')"
exit $status
