#!/bin/bash
# Checks the built setup.exe as a file: the expected PE format, the GUI
# subsystem, and load-time imports only from kernel32 and the C runtime (the
# system libraries are delay-loaded after the start-up hardening; the others
# are loaded at run time from the system folder). Lists the imports.
set -euo pipefail
objdump="$1" exe="$2" format="$3"
headers="$("$objdump" -p "$exe")"
fail=0
if ! "$objdump" -f "$exe" | grep -q "file format $format"; then
    echo "FAIL: $exe is not $format"; fail=1
fi
if ! grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers"; then
    echo "FAIL: $exe is not a GUI program"; fail=1
fi
known='^(kernel32|msvcrt)\.dll$'
echo "imported DLLs of $(basename "$exe"):"
while read -r dll; do
    echo "  $dll"
    if ! grep -Eqi "$known" <<<"$dll"; then echo "FAIL: $dll is bound at load time"; fail=1; fi
done < <(grep 'DLL Name:' <<<"$headers" | awk '{print $3}')
if [ "$fail" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit $fail
