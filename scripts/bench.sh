#!/bin/bash
# Builds and runs both benchmarks (bench/) on each Windows build (the shipped
# PE32 one through scripts/wine32.sh, then x86_64), each in its build's Wine
# environment:
#   install_bench  the install run in-process, against the bare file work;
#   outside_bench  the real setup.exe driven from outside as a user waits on
#                  it (start-up, uninstall record, install, growth), against
#                  baselines measured in the same run.
#   bench.sh [i686|x86_64] [outside_bench options: --reps N --figures abcd]
# Exits non-zero when a benchmark failed to run or missed a goal.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/lib/configure.sh"

arches="i686 x86_64"
if [ "${1:-}" = i686 ] || [ "${1:-}" = x86_64 ]; then
    arches="$1"
    shift
fi
"$ROOT/scripts/install-deps.sh"
failed=0
for arch in $arches; do
    build="$ROOT/build/$arch"
    configure_once "$build" "$ROOT" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH="$arch"
    if ! cmake --build "$build" -j "$(nproc)" --target install_bench outside_bench >"$build/bench-build.log" 2>&1; then
        tail -n 40 "$build/bench-build.log" >&2
        exit 1
    fi
    if [ "$arch" = i686 ]; then
        echo "== $arch (PE32, the shipped build; 32-bit code: $("$ROOT/scripts/wine32.sh" mode))"
        "$ROOT/scripts/wine32.sh" run "$ROOT/scripts/lib/bench-build.sh" "$arch" "$@" || failed=1
    else
        echo "== $arch (PE32+)"
        "$ROOT/scripts/lib/bench-build.sh" "$arch" "$@" || failed=1
    fi
done
exit $failed
