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
source "$ROOT/scripts/lib/configure.sh"

echo "== Native sanitizer suite"
configure_once "$GCC_DIR" "$ROOT/tests/native" -DCMAKE_CXX_COMPILER=g++
cmake --build "$GCC_DIR" -j 2 >/dev/null
(cd "$GCC_DIR" && ctest --output-on-failure)

echo "== Fuzz targets"
configure_once "$CLANG_DIR" "$ROOT/tests/native" -DCMAKE_CXX_COMPILER=clang++-14
cmake --build "$CLANG_DIR" -j 2 >/dev/null
(cd "$CLANG_DIR" && ctest --output-on-failure)
for source in "$ROOT"/tests/fuzz/*_fuzz.cpp; do
    name="$(basename "$source" _fuzz.cpp)"
    FUZZ_SKIP_BUILD=1 "$ROOT/scripts/fuzz.sh" "$name" "$FUZZ_SECONDS"
done
