#!/bin/bash
# scripts/try.sh on the demo package and on a package of packcheck's corpus:
# it ends with 0, every page's screenshot is there and shows more than one
# colour, and the install changed the picked copy file for file as packcheck's
# dry run of that copy predicted.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "try-test: $*" >&2; failed=1; }

# The files the dry run says the install writes ("written X") or deletes ("deleted X"), lower case.
predicted() {  # dry-run.txt
    tr -d '\r' < "$1" | awk '
        /^[A-Z][^:]*:$/ { section = $0; next }
        /^[A-Z]/ { section = ""; next }
        section == "Uninstall record:" && /^--- / { print "written Resource\\Uninstall.ini" }
        section == "Files deleted:" && /^  [^ (]/ { sub(/^  /, ""); print "deleted " $0 }
        section == "Files copied:" && /^  [^ (]/ { sub(/^  /, ""); sub(/ \(overwrites\)$/, ""); print "written " $0 }
        section == "Stamps:" && /^  [^ (]/ { sub(/^  /, ""); print "written " $0 }
        section == "Components entry:" && / added to / { sub(/.* added to /, ""); sub(/ \(created\)$/, ""); print "written " $0 }
    ' | tr 'A-Z' 'a-z' | sort -u
}
happened() {  # installed.txt
    sed -e 's/^added /written /' -e 's/^changed /written /' "$1" | tr 'A-Z' 'a-z' | sort -u
}

check() {  # name package [try options...]
    local name="$1" package="$2" out="$work/$1"
    shift 2
    local before=$failed
    if ! bash "$ROOT/scripts/try.sh" "$package" --out "$out" "$@" >"$work/$name.log" 2>&1; then
        cat "$work/$name.log" >&2
        fail "$name: try.sh failed"
        return
    fi
    local shots=0
    for shot in "$out"/shots/*.png; do
        [ -e "$shot" ] || continue
        shots=$((shots + 1))
        [ "$(identify -format '%k' "$shot")" -gt 1 ] || fail "$name: $(basename "$shot") is blank"
    done
    [ "$shots" -ge 8 ] || fail "$name: $shots screenshots, fewer than the wizard's pages and boxes"
    if ! diff -u --label "$name: predicted" --label "$name: installed" \
        <(predicted "$out/dry-run.txt") <(happened "$out/installed.txt"); then
        fail "$name: the install did not change the copy as the dry run predicted"
    fi
    [ $failed != "$before" ] || echo "try-test: $name: $shots screenshots, the install as predicted"
}

check demo "$ROOT/demo/package"
# A package with a slip packcheck reports: the wizard does just what the dry run said.
mkdir -p "$work/corpus-package"
cp -r "$ROOT/tests/packcheck/base/." "$ROOT/tests/packcheck/corpus/copy-line-letters-swapped/setup/." "$work/corpus-package"
check corpus "$work/corpus-package" --dpi 144
exit $failed
