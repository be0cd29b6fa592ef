#!/bin/bash
# Checks that setup.exe imports only functions that Windows XP SP3 exports:
# every function it imports, delay-loaded ones included, must be on the
# allow-list. Prints what is not.
#   check-imports.sh EXE ALLOW-LIST
set -euo pipefail
exe="$1" allowed="$2"
here="$(cd "$(dirname "$0")" && pwd)"
imports="$(python3 "$here/pe-imports.py" "$exe")"
if [ -z "$imports" ]; then echo "FAIL: no imports read from $exe"; exit 1; fi
unknown="$(comm -23 <(sort -u <<<"$imports") <(grep -v '^#' "$allowed" | sed '/^$/d' | sort -u))"
echo "$(wc -l <<<"$imports") imported functions in $(basename "$exe")"
if [ -n "$unknown" ]; then
    echo "FAIL: imports that are not on the Windows XP SP3 list:"
    sed 's/^/  /' <<<"$unknown"
    exit 1
fi
echo "all on the Windows XP SP3 list"
