#!/bin/bash
# The pure modules on the host: their tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (g++, build/native/gcc, with packcheck over its
# corpus of broken packages and the demo package), then every libFuzzer
# target (clang, build/native/clang): its committed corpus replayed, then
# FUZZ_SECONDS (default 30) of fuzzing each. Any finding fails the script.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
GCC_DIR="$ROOT/build/native/gcc"
CLANG_DIR="$ROOT/build/native/clang"

echo "== Native sanitizer suite"
[ -f "$GCC_DIR/CMakeCache.txt" ] || cmake -S "$ROOT/tests/native" -B "$GCC_DIR" -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$GCC_DIR" -j 2 >/dev/null
(cd "$GCC_DIR" && ctest --output-on-failure)

echo "== Fuzz targets"
[ -f "$CLANG_DIR/CMakeCache.txt" ] || cmake -S "$ROOT/tests/native" -B "$CLANG_DIR" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$CLANG_DIR" -j 2 >/dev/null
(cd "$CLANG_DIR" && ctest --output-on-failure)
for source in "$ROOT"/tests/fuzz/*_fuzz.cpp; do
    name="$(basename "$source" _fuzz.cpp)"
    FUZZ_SKIP_BUILD=1 "$ROOT/scripts/fuzz.sh" "$name" "$FUZZ_SECONDS"
done
