#!/bin/bash
# One Windows build's benchmarks, in that build's Wine environment; called by
# scripts/bench.sh (for i686 inside scripts/wine32.sh, where PE32 programs start).
#   bench-build.sh ARCH [outside_bench options]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
arch="$1"
shift
build="$ROOT/build/$arch"
env=("$ROOT/scripts/wine-env.sh" --state "$build/wine-env")
status=0
started=0
if ! [ -f "$build/wine-env/server.pid" ] || ! kill -0 "$(cat "$build/wine-env/server.pid")" 2>/dev/null; then
    started=1
fi
work="$(mktemp -d /tmp/install_bench.XXXXXX)"
cp "$build/bench/install_bench.exe" "$work/"
echo "== in-process install benchmark ($arch)"
(cd "$work" && "${env[@]}" run ./install_bench.exe) || status=$?
rm -rf "$work"
# Other work on the machine only adds time: the load shows how much there was.
echo "== outside-in benchmark ($arch), load average $(cut -d' ' -f1-3 /proc/loadavg)"
"${env[@]}" run "$build/bench/outside_bench.exe" "$@" || status=$?
# An environment this run started does not outlive it.
if [ "$started" = 1 ]; then "${env[@]}" stop; fi
exit "$status"
