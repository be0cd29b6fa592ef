#!/bin/bash
# The one test command: installs what is missing, builds, runs the Wine suite
# under CTest, then the native sanitizer suite and a bounded fuzzing pass.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
TEST_BUILD="$("$ROOT/scripts/build.sh")"
echo "== The shipped setup.exe (i686)"
(cd "$ROOT/build/i686" && ctest -R setup_binary --output-on-failure)
echo "== Wine suite ($(basename "$TEST_BUILD"))"
(cd "$TEST_BUILD" && ctest --output-on-failure)
if [ -x "$ROOT/scripts/native-test.sh" ]; then
    "$ROOT/scripts/native-test.sh"
fi
