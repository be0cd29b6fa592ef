#!/bin/bash
# Builds the install benchmark for the Wine test build and runs it in a fresh
# scratch folder (its package and targets are made there), printing the ratios
# of the install run and the uninstall phase to the bare file work.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/x86_64"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH=x86_64 >/dev/null
fi
cmake --build "$BUILD" -j2 --target install_bench >&2
WORK="$(mktemp -d /tmp/install_bench.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/tests/bench/install_bench.exe" "$WORK/"
cd "$WORK"
"$ROOT/scripts/wine-env.sh" --state "$BUILD/wine-env" run ./install_bench.exe
