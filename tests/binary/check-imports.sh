#!/bin/bash
# Checks that setup.exe imports only functions that Windows XP SP3 exports:
# every function it imports, delay-loaded ones included, must be on the
# allow-list. Prints what is not.
#   check-imports.sh EXE ALLOW-LIST i686|x86_64
set -euo pipefail
exe="$1" allowed="$2" arch="$3"
here="$(cd "$(dirname "$0")" && pwd)"
imports="$(python3 "$here/pe-imports.py" "$exe")"
if [ -z "$imports" ]; then echo "FAIL: no imports read from $exe"; exit 1; fi
list() {  # the lines for this build: the common ones, and the 64-bit ones on x86_64
    grep -v -e '^#' -e '^$' -e '^x86_64 ' "$allowed"
    if [ "$arch" = x86_64 ]; then sed -n 's/^x86_64 //p' "$allowed"; fi
}
unknown="$(comm -23 <(sort -u <<<"$imports") <(list | sort -u))"
echo "$(wc -l <<<"$imports") imported functions in $(basename "$exe")"
if [ -n "$unknown" ]; then
    echo "FAIL: imports that are not on the Windows XP SP3 list:"
    sed 's/^/  /' <<<"$unknown"
    exit 1
fi
echo "all on the Windows XP SP3 list"
