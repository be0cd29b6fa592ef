#!/bin/bash
# Builds everything for both Windows builds: build/i686 holds setup.exe as it
# ships (PE32) with its tests, build/x86_64 the same sources as PE32+.
#   build.sh [i686|x86_64]   one build only
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="$(nproc)"

configure_and_build() {  # arch
    local dir="$ROOT/build/$1"
    # A build folder configured with another toolchain file is configured afresh.
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*=$ROOT/cmake/mingw.cmake\$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH="$1" >/dev/null
    fi
    cmake --build "$dir" -j "$JOBS"
}

for arch in ${1:-i686 x86_64}; do configure_and_build "$arch"; done
