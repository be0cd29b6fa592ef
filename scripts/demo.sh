#!/bin/bash
# The demo: builds setup.exe, assembles a distributable folder (build/demo/dist:
# setup.exe beside the demo package), prepares installed copies of the demo
# target program that record themselves, and runs the wizard under Wine.
# With DISPLAY set the wizard opens on that display for you to use; without it
# a scripted walk goes through every page under Xvfb and saves a screenshot of
# each one in build/demo/shots.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEMO="$ROOT/build/demo"

if [ "$(id -u)" = 0 ]; then
    "$ROOT/scripts/install-deps.sh"
else
    echo "demo: not root, so no packages are installed; run as root on a fresh machine" >&2
fi
echo "== building"
mkdir -p "$DEMO"
if ! "$ROOT/scripts/build.sh" i686 >"$DEMO/build.log" 2>&1; then
    cat "$DEMO/build.log" >&2
    exit 1
fi
# The rest runs where the shipped PE32 program can start (through qemu when
# this kernel cannot run 32-bit code).
echo "== 32-bit code runs $("$ROOT/scripts/wine32.sh" mode)"
exec "$ROOT/scripts/wine32.sh" run "$ROOT/scripts/lib/demo-walk.sh"
