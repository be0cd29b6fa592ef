#!/bin/bash
# Checks that setup.exe can be reproduced: builds it twice from the committed
# sources (HEAD) in clean folders at different paths and compares the two
# files byte for byte. Anyone can so rebuild a shipped setup.exe and compare.
#   check-reproducible.sh [i686|x86_64]   (i686, the shipped build, by default)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCH="${1:-i686}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build() {  # folder
    mkdir -p "$1/src"
    git -C "$ROOT" archive HEAD | tar -x -C "$1/src"
    cmake -S "$1/src" -B "$1/build" -DCMAKE_TOOLCHAIN_FILE="$1/src/cmake/mingw.cmake" -DMINGW_ARCH="$ARCH" \
        -DSETUP_TESTS=OFF >/dev/null
    cmake --build "$1/build" --target setup -j "$(nproc)" >/dev/null
}
build "$work/first"
build "$work/second/at/another/path"
if cmp "$work/first/build/setup.exe" "$work/second/at/another/path/build/setup.exe"; then
    echo "setup.exe ($ARCH): two clean builds of $(git -C "$ROOT" rev-parse --short HEAD) are identical" \
        "($(sha256sum < "$work/first/build/setup.exe" | cut -c1-16)...)"
    exit 0
fi
echo "FAIL: two clean builds of setup.exe ($ARCH) differ" >&2
exit 1
