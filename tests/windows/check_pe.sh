#!/usr/bin/env bash
# Checks that a program is a 64-bit x86-64 Windows executable whose imports are
# all DLLs that ship with Windows: nothing of the compiler's runtime (libstdc++,
# libgcc, libwinpthread) may be needed beside it.
#   check_pe.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1 program=$2
headers=$("$objdump" -p "$program")
status=0

grep -q 'file format pei-x86-64' <<<"$headers" || { echo "not a pei-x86-64 file: $program"; status=1; }
grep -Eq '^Magic[[:space:]]+020b[[:space:]]+\(PE32\+\)' <<<"$headers" || { echo "not PE32+"; status=1; }

dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$dlls" ] || { echo "no imported DLL found: cannot check the import list"; status=1; }
while read -r dll; do
    [ -n "$dll" ] || continue
    case "${dll,,}" in
    kernel32.dll | msvcrt.dll | advapi32.dll | ntdll.dll | user32.dll | shell32.dll) echo "imports $dll" ;;
    *) echo "imports a DLL that Windows does not ship: $dll"; status=1 ;;
    esac
done <<<"$dlls"
exit $status
