#!/bin/bash
# Signs a copy of setup.exe with a throwaway certificate the way a package
# author would (scripts/sign.sh), and checks that the signature verifies, that
# a changed byte breaks it, and leaves the signed copy in OUT for the
# end-to-end test that starts it.
#   check-signing.sh SETUP_EXE SIGN_SCRIPT OUT
set -euo pipefail
exe="$1" sign="$2" out="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway package author" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
cp "$exe" "$work/setup.exe"
bash "$sign" "$work/setup.exe" "$work/cert.pem" "$work/key.pem"
fail=0
if ! osslsigncode verify -in "$work/setup.exe" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1; then
    echo "FAIL: the signature does not verify:"; cat "$work/verify.log"; fail=1
fi
grep -q 'Throwaway package author' "$work/verify.log" || { echo "FAIL: the signer is not named"; fail=1; }
# One byte of the program changed after signing.
cp "$work/setup.exe" "$work/changed.exe"
printf '\x90' | dd of="$work/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if osslsigncode verify -in "$work/changed.exe" -CAfile "$work/cert.pem" >/dev/null 2>&1; then
    echo "FAIL: a changed file still verifies"; fail=1
fi
mkdir -p "$out"
cp "$work/setup.exe" "$out/setup.exe"
if [ "$fail" = 0 ]; then echo "signature verifies; a changed byte breaks it"; fi
exit $fail
