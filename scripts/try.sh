#!/bin/bash
# Tries a package in the real wizard, as its user would meet it: builds the
# shipped setup.exe if needed, makes a private Wine prefix with installed copies
# of a stand-in target program recorded as real copies record themselves, puts
# the package beside setup.exe, walks every page with a screenshot of each, and
# prints what the install changed in the copy it picked and the uninstall
# record's diff. Writes nothing outside build/try and the output folder.
#
#   try.sh SETUP_FOLDER [--target-version V] [--lang NAME] [--dpi 144] [--out DIR]
#
# SETUP_FOLDER holds Source (and Language); V is the copies' file version (the
# first line of Source/Versions.ini unless given); NAME picks the language
# entry starting with it (Russian unless given); DIR defaults to build/try/out.
# DIR receives shots/*.png, dry-run.txt (packcheck's prediction for that copy,
# made before the walk), installed.txt (each file added, changed or deleted)
# and uninstall-record.diff.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
TRY="$ROOT/build/try"

usage() {
    echo "usage: try.sh SETUP_FOLDER [--target-version V] [--lang NAME] [--dpi 144] [--out DIR]" >&2
    exit 2
}
SETUP="" VERSION="" LANGUAGE="" DPI=96 OUT="$TRY/out"
while [ $# -gt 0 ]; do
    case "$1" in
        --target-version) [ $# -ge 2 ] || usage; VERSION="$2"; shift 2 ;;
        --lang) [ $# -ge 2 ] || usage; LANGUAGE="$2"; shift 2 ;;
        --dpi) [ $# -ge 2 ] || usage; DPI="$2"; shift 2 ;;
        --out) [ $# -ge 2 ] || usage; OUT="$2"; shift 2 ;;
        --*) usage ;;
        *) [ -z "$SETUP" ] || usage; SETUP="$1"; shift ;;
    esac
done
[ -n "$SETUP" ] || usage
[ -f "$SETUP/Source/Pack.ini" ] || { echo "try: $SETUP/Source/Pack.ini is missing" >&2; exit 2; }
[[ "$DPI" =~ ^[0-9]+$ ]] || usage
SETUP="$(cd "$SETUP" && pwd)"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"

# Line N (1-based) of a text file whose comment lines ("//", "\\") do not count, without its CR.
field() {  # file N
    tr -d '\r' < "$1" | grep -v -e '^//' -e '^\\\\' | sed -n "$2p"
}
# ANSI text (Windows-1251) as the Linux tools and Wine's command line take it.
from_ansi() { iconv -f CP1251 -t UTF-8 2>/dev/null <<<"$1" || printf '%s\n' "$1"; }

if [ -z "${TRY_INSIDE:-}" ]; then
    BUILD="$ROOT/build/i686"
    if [ ! -f "$BUILD/setup.exe" ] || [ ! -f "$BUILD/demo/walker.exe" ] || [ ! -f "$BUILD/demo/target_try.exe" ]; then
        echo "== building setup.exe (PE32) and the walk's programs"
        source "$ROOT/scripts/lib/configure.sh"
        mkdir -p "$TRY"
        if ! { configure_once "$BUILD" "$ROOT" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" -DMINGW_ARCH=i686 &&
            cmake --build "$BUILD" --target setup walker target_try -j 2; } >"$TRY/build.log" 2>&1; then
            cat "$TRY/build.log" >&2
            exit 3
        fi
    fi
    # The rest runs where PE32 programs start.
    TRY_INSIDE=1 exec "$ROOT/scripts/wine32.sh" run bash "$0" "$SETUP" --target-version "$VERSION" \
        --lang "$LANGUAGE" --dpi "$DPI" --out "$OUT"
fi

[ -n "$VERSION" ] || VERSION="$(tr -d '\r' < "$SETUP/Source/Versions.ini" 2>/dev/null | grep -m1 -v '^$' || true)"
[ -n "$VERSION" ] || { echo "try: no version: Source/Versions.ini lists none; give --target-version" >&2; exit 2; }
EXE="$(field "$SETUP/Source/Pack.ini" 3)"
PROGRAM="$(from_ansi "$(field "$SETUP/Source/Pack.ini" 2)")"
[ -n "$EXE" ] || { echo "try: Pack.ini names no executable (field 3)" >&2; exit 2; }

# The stand-in's version text is a placeholder of 23 characters: the copy's
# version takes its place, the rest of it NUL.
mkdir -p "$TRY"
python3 - "$ROOT/build/i686/demo/target_try.exe" "$TRY/target.exe" "$VERSION" <<'EOF'
import sys
source, destination, version = sys.argv[1], sys.argv[2], sys.argv[3]
placeholder = "65535.65535.65535.65535".encode("utf-16-le")
wanted = version.encode("utf-16-le")
if len(wanted) > len(placeholder):
    sys.exit("try: the version %s is longer than 23 characters" % version)
data = open(source, "rb").read()
if placeholder not in data:
    sys.exit("try: the stand-in program holds no version placeholder")
data = data.replace(placeholder, wanted + b"\0" * (len(placeholder) - len(wanted)))
open(destination, "wb").write(data)
EOF

export DEMO="$TRY" PACKAGE="$SETUP" TARGET_EXE="$TRY/target.exe" EXE_NAME="${EXE//\\//}" WALK_LANGUAGE="$LANGUAGE"
source "$ROOT/scripts/lib/demo-walk.sh"

# A copy recorded as the target program records itself: the numbered record
# with the executable's full path, its version and the program's name, then
# the count.
RECORDS=0
record_copy() {  # folder
    RECORDS=$((RECORDS + 1))
    local key='HKCU\Software\Torvane\QuillsetPatch' relative="${1#"$DRIVE_C"/}"
    local path="C:\\${relative//\//\\}\\${EXE//\//\\}"
    "${ENV[@]}" run reg add "$key\\QuillsetPatch$RECORDS" /v ExePatch /t REG_SZ /d "$path" /f >/dev/null
    "${ENV[@]}" run reg add "$key\\QuillsetPatch$RECORDS" /v Version /t REG_SZ /d "$VERSION" /f >/dev/null
    "${ENV[@]}" run reg add "$key\\QuillsetPatch$RECORDS" /v ProgramName /t REG_SZ /d "$PROGRAM" /f >/dev/null
    "${ENV[@]}" run reg add "$key" /v QuillsetPatchCount /t REG_DWORD /d "$RECORDS" /f >/dev/null
}

assemble >/dev/null
"${ENV[@]}" stop >/dev/null 2>&1 || true
"${ENV[@]}" start
set_dpi "$DPI"
prepare_copies
# The walk picks the second copy.
CHOSEN="$DRIVE_C/${COPIES[1]}"
rm -rf "$TRY/before"
cp -a "$CHOSEN" "$TRY/before"
echo "== packcheck's prediction for that copy: $OUT/dry-run.txt"
"$ROOT/scripts/packcheck.sh" "$DIST" --target "$TRY/before" >"$OUT/dry-run.txt" || true

echo "== walking the wizard (screenshots in $OUT/shots)"
walk_ok=1
walk "$OUT/shots" || walk_ok=0
"${ENV[@]}" stop >/dev/null 2>&1 || true

# What the install did to the copy, file by file ("\" between names, as the dry run writes them).
(
    cd "$TRY/before" && find . -type f | sort >"$TRY/files-before"
    cd "$CHOSEN" && find . -type f | sort >"$TRY/files-after"
    comm -13 "$TRY/files-before" "$TRY/files-after" | sed 's/^/added /'
    comm -23 "$TRY/files-before" "$TRY/files-after" | sed 's/^/deleted /'
    comm -12 "$TRY/files-before" "$TRY/files-after" | while read -r file; do
        cmp -s "$TRY/before/$file" "$CHOSEN/$file" || echo "changed $file"
    done
) | sed -e 's#^\([a-z]*\) \./#\1 #' -e 's#/#\\#g' | sort -k2 >"$OUT/installed.txt"
diff -u --label "before/Resource/Uninstall.ini" --label "after/Resource/Uninstall.ini" \
    "$TRY/before/Resource/Uninstall.ini" "$CHOSEN/Resource/Uninstall.ini" >"$OUT/uninstall-record.diff" || true

echo "== what the install changed in C:\\${COPIES[1]//\//\\}:"
sed 's/^/   /' "$OUT/installed.txt"
echo "== the uninstall record:"
if [ -s "$OUT/uninstall-record.diff" ]; then iconv -f CP1251 -t UTF-8 "$OUT/uninstall-record.diff" | sed 's/^/   /'
else echo "   (no change)"; fi
if [ "$walk_ok" = 1 ]; then
    echo "== the walk went through every page; screenshots:"
    ls "$OUT/shots"/*.png | sed 's/^/   /'
    exit 0
fi
echo "try: the walk did not finish: $(cat "$OUT/shots/walk.failed" 2>/dev/null)" >&2
exit 1
