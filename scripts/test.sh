#!/bin/bash
# The one test command: installs what is missing, builds both Windows builds
# (setup.exe and packcheck.exe), runs the Wine suite under CTest on each (the
# shipped PE32 build first, through qemu where the kernel cannot run 32-bit
# code), builds the native packcheck and checks the demo package with it, tries
# packages in the real wizard with try.sh, then
# the native sanitizer suite (with packcheck's corpus) and a bounded fuzzing pass.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" >/dev/null

failed=0
suite() {  # arch [launcher...]
    local arch="$1" start=$SECONDS
    shift
    if ! (cd "$ROOT/build/$arch" && "$@" ctest --output-on-failure); then failed=1; fi
    echo "== Wine suite on $arch: $((SECONDS - start)) s"
}
echo "== Wine suite on i686 (the shipped PE32 build; 32-bit code: $("$ROOT/scripts/wine32.sh" mode))"
suite i686 "$ROOT/scripts/wine32.sh" run
echo "== Wine suite on x86_64"
suite x86_64
echo "== setup.exe rebuilt from clean folders, compared byte for byte"
if ! "$ROOT/scripts/check-reproducible.sh" i686; then failed=1; fi
echo "== packcheck as a native Linux program, on the demo package"
if ! "$ROOT/scripts/packcheck.sh" "$ROOT/demo/package" --strict; then failed=1; fi
echo "== try.sh on the demo package and on a corpus package, against packcheck's prediction"
if ! bash "$ROOT/tests/try/try-test.sh"; then failed=1; fi
echo "== the package guide's and the README's examples"
if ! python3 "$ROOT/tests/packcheck/guide-examples.py" "$ROOT/docs/package-guide.md" "$ROOT/README.md"; then failed=1; fi
"$ROOT/scripts/native-test.sh"
exit $failed
