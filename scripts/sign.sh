#!/bin/bash
# Signs setup.exe in place with the package author's code-signing certificate
# (Authenticode, SHA-256, with Debian's osslsigncode), so that Windows names
# the author and shows the file as unchanged since.
#   sign.sh SETUP_EXE CERT.pem KEY.pem [--pass-file FILE] [--timestamp URL]
#   sign.sh SETUP_EXE AUTHOR.pfx [--pass-file FILE] [--timestamp URL]
# --pass-file: a file holding the key's password. --timestamp: an RFC 3161
# time-stamp server (for example http://timestamp.digicert.com), which keeps
# the signature valid after the certificate expires; it needs the network.
set -euo pipefail
usage() { sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
[ $# -ge 2 ] || usage
exe="$1"; shift
credentials=()
case "$1" in
    *.pfx | *.p12) credentials=(-pkcs12 "$1"); shift ;;
    *) [ $# -ge 2 ] || usage; credentials=(-certs "$1" -key "$2"); shift 2 ;;
esac
extra=()
while [ $# -gt 0 ]; do
    case "$1" in
        --pass-file) extra+=(-readpass "$2"); shift 2 ;;
        --timestamp) extra+=(-ts "$2"); shift 2 ;;
        *) usage ;;
    esac
done
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is not installed (apt-get install osslsigncode)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
signed="$work/signed.exe"
osslsigncode sign "${credentials[@]}" "${extra[@]}" -h sha256 -n "Quillsetter.TV setup" \
    -in "$exe" -out "$signed" >/dev/null
cp -f "$signed" "$exe"
echo "signed $exe"
