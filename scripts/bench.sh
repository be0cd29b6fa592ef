#!/bin/bash
# Builds and runs both benchmarks on each Windows build (the shipped PE32 one
# through scripts/wine32.sh, then x86_64), each in its build's Wine environment:
#   install_bench  the install run in-process, against the bare file work;
#   outside_bench  the real setup.exe driven from outside as a user waits on
#                  it (start-up, uninstall record, install, growth), against
#                  baselines measured in the same run.
#   bench.sh [i686|x86_64] [outside_bench options: --reps N --figures abcd]
# Exits non-zero when a benchmark failed to run or missed a goal.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

# One build's benchmarks; for i686 this runs where PE32 programs start.
run_build() {  # arch [outside_bench options]
    local arch="$1" status=0
    shift
    local build="$ROOT/build/$arch"
    local env=("$ROOT/scripts/wine-env.sh" --state "$build/wine-env")
    local started=0
    if ! [ -f "$build/wine-env/server.pid" ] || ! kill -0 "$(cat "$build/wine-env/server.pid")" 2>/dev/null; then
        started=1
    fi
    local work
    work="$(mktemp -d /tmp/install_bench.XXXXXX)"
    cp "$build/tests/bench/install_bench.exe" "$work/"
    echo "== in-process install benchmark ($arch)"
    (cd "$work" && "${env[@]}" run ./install_bench.exe) || status=$?
    rm -rf "$work"
    # Other work on the machine only adds time: the load shows how much there was.
    echo "== outside-in benchmark ($arch), load average $(cut -d' ' -f1-3 /proc/loadavg)"
    "${env[@]}" run "$build/tests/bench/outside_bench.exe" "$@" || status=$?
    # An environment this run started does not outlive it.
    if [ "$started" = 1 ]; then "${env[@]}" stop; fi
    return "$status"
}

if [ "${1:-}" = "--build" ]; then
    shift
    run_build "$@"
    exit
fi

arches="i686 x86_64"
if [ "${1:-}" = i686 ] || [ "${1:-}" = x86_64 ]; then
    arches="$1"
    shift
fi
"$ROOT/scripts/install-deps.sh"
failed=0
for arch in $arches; do
    build="$ROOT/build/$arch"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH="$arch" >/dev/null
    fi
    if ! cmake --build "$build" -j "$(nproc)" --target install_bench outside_bench >"$build/bench-build.log" 2>&1; then
        tail -n 40 "$build/bench-build.log" >&2
        exit 1
    fi
    if [ "$arch" = i686 ]; then
        echo "== $arch (PE32, the shipped build; 32-bit code: $("$ROOT/scripts/wine32.sh" mode))"
        "$ROOT/scripts/wine32.sh" run bash "$ROOT/scripts/bench.sh" --build "$arch" "$@" || failed=1
    else
        echo "== $arch (PE32+)"
        bash "$ROOT/scripts/bench.sh" --build "$arch" "$@" || failed=1
    fi
done
exit $failed
