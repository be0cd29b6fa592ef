#!/bin/bash
# Builds everything for both Windows builds: build/i686 holds setup.exe as it
# ships (PE32) with its tests, build/x86_64 the same sources as PE32+.
#   build.sh [i686|x86_64]   one build only
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/lib/configure.sh"

for arch in ${1:-i686 x86_64}; do
    configure_once "$ROOT/build/$arch" "$ROOT" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH="$arch"
    cmake --build "$ROOT/build/$arch" -j "$(nproc)"
done
