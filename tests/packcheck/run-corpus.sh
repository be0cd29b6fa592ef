#!/bin/bash
# Runs packcheck over every case of the corpus and compares what it prints,
# and its exit status, with the case's `expected` lines. A case is the base
# package (base/) with the case's setup/ laid over it, minus the paths listed
# in `remove`, with the files listed in `dated-1979` dated before 1980; its
# target/ (for a dry run) lies beside it, and `args` follow the setup folder.
# The files listed in `read-only` (paths in the case's folder, target/...
# included) lose their write permission, which Wine shows as the read-only
# attribute.
#
#   run-corpus.sh [--ansi] [--update] COMMAND...
# COMMAND starts packcheck (with a launcher in front for Windows programs);
# --ansi takes its output as Windows-1251 with CR LF line ends; --update
# writes the expected files instead of comparing.
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ansi=0 update=0
while [ "${1:-}" = --ansi ] || [ "${1:-}" = --update ]; do
    [ "$1" = --ansi ] && ansi=1
    [ "$1" = --update ] && update=1
    shift
done
[ $# -gt 0 ] || { echo "usage: run-corpus.sh [--ansi] [--update] COMMAND..." >&2; exit 2; }
# The cases run in their own folders.
if [ -e "$1" ]; then set -- "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" "${@:2}"; fi

# The output as the native program prints it: UTF-8, LF, "/" in the locations.
normal_output() {
    if [ $ansi = 1 ]; then tr -d '\r' | iconv -f CP1251 -t UTF-8; else cat; fi |
        sed -E ':a; s#^(setup[^:]*)\\#\1/#; ta'
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0 count=0
for case in "$HERE"/corpus/*/; do
    name="$(basename "$case")"
    dir="$work/$name"
    mkdir -p "$dir/setup"
    cp -r "$HERE/base/." "$dir/setup"
    [ -d "$case/setup" ] && cp -r "$case/setup/." "$dir/setup"
    [ -d "$case/target" ] && cp -r "$case/target" "$dir/target"
    [ -f "$case/remove" ] && while read -r path; do rm -rf "${dir:?}/setup/$path"; done < "$case/remove"
    [ -f "$case/dated-1979" ] && while read -r path; do touch -d 1979-06-01 "$dir/setup/$path"; done < "$case/dated-1979"
    [ -f "$case/read-only" ] && while read -r path; do chmod a-w "$dir/$path"; done < "$case/read-only"
    read -r -a args < <(cat "$case/args" 2>/dev/null || true)
    actual="$( (cd "$dir" && "$@" setup "${args[@]}" 2>/dev/null); echo "exit $?")"
    actual="$(printf '%s\n' "$actual" | normal_output)"
    count=$((count + 1))
    if [ $update = 1 ]; then
        printf '%s\n' "$actual" > "$case/expected"
    elif ! diff -u --label "$name/expected" --label "$name/actual" "$case/expected" <(printf '%s\n' "$actual"); then
        failed=$((failed + 1))
    fi
done
echo "corpus: $count cases, $failed failed"
[ $failed = 0 ]
