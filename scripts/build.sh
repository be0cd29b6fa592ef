#!/bin/bash
# Builds setup.exe (PE32, the shipped program) into build/i686, and, where this
# machine's Wine cannot run 32-bit code, the same sources for x86_64 into
# build/x86_64 so the tests can run. Prints the build folder the tests use.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="$(nproc)"

configure_and_build() {  # arch
    local dir="$ROOT/build/$1"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$1.cmake" >/dev/null
    fi
    cmake --build "$dir" -j "$JOBS" >&2
}

configure_and_build i686
if [ "${1:-}" = "--product-only" ]; then echo "$ROOT/build/i686"; exit 0; fi
if "$ROOT/scripts/wine-runs-32bit.sh"; then
    echo "$ROOT/build/i686"
else
    configure_and_build x86_64
    echo "$ROOT/build/x86_64"
fi
