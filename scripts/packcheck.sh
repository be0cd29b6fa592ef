#!/bin/bash
# Runs packcheck, the package checker, as a native Linux program; builds it
# first (with the host g++, into build/native/packcheck) when needed.
#   packcheck.sh SETUP_FOLDER [--strict] [--target FOLDER]
# Exit status: 0 no errors, 1 errors (or warnings with --strict), 2 the folder
# cannot be read; 3 when packcheck cannot be built.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DIR="$ROOT/build/native/packcheck"
source "$ROOT/scripts/lib/configure.sh"

mkdir -p "$DIR"
if ! configure_once "$DIR" "$ROOT/cmake/packcheck-native" -DCMAKE_CXX_COMPILER=g++ >"$DIR/build.log" 2>&1 ||
    ! cmake --build "$DIR" -j 2 >>"$DIR/build.log" 2>&1; then
    cat "$DIR/build.log" >&2
    echo "packcheck.sh: packcheck could not be built" >&2
    exit 3
fi
exec "$DIR/packcheck" "$@"
