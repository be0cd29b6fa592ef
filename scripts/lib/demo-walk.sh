#!/bin/bash
# The demo's second half, called by scripts/demo.sh where PE32 programs start:
# assembles build/demo/dist (setup.exe beside the demo package), prepares
# installed copies of the demo target program that record themselves, then
# runs the wizard for you (DISPLAY set) or walks every page under Xvfb and saves
# a screenshot of each in build/demo/shots.
# Sourced (scripts/try.sh), it only defines its settings and steps; the caller
# may set DEMO, PACKAGE, TARGET_EXE, EXE_NAME and WALK_LANGUAGE first, and
# redefine record_copy.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build/i686"
DEMO="${DEMO:-$ROOT/build/demo}"
DIST="$DEMO/dist"
SHOTS="$DEMO/shots"
PACKAGE="${PACKAGE:-$ROOT/demo/package}"
TARGET_EXE="${TARGET_EXE:-$BUILD/demo/target.exe}"
EXE_NAME="${EXE_NAME:-quill.exe}"  # relative to a copy's folder, "/" between names
WALK_LANGUAGE="${WALK_LANGUAGE:-}"

assemble() {
    echo "== assembling $DIST"
    rm -rf "$DIST"
    mkdir -p "$DIST"
    cp "$BUILD/setup.exe" "$DIST/setup.exe"
    cp -r "$PACKAGE/." "$DIST/"
}

STATE="$DEMO/wine-env"
ENV=("$ROOT/scripts/wine-env.sh" --state "$STATE")
# A Linux path as Wine shows it to Windows programs (drive Z: is the root).
winpath() { echo "Z:${1//\//\\}"; }

COPIES=(
    "Games/Quillset"
    "Games/Quillset Gold"
    "Program Files/Quillset Studio Collection/Editions/Quillset Classic Edition 1.2 (portable copy)"
)
# Started once, a copy writes its own record and quits.
record_copy() {  # folder
    "${ENV[@]}" run "$1/$EXE_NAME" /quit
}
prepare_copies() {
    echo "== preparing installed copies of the target program"
    "${ENV[@]}" run reg delete 'HKCU\Software\Torvane\QuillsetPatch' /f >/dev/null 2>&1 || true
    rm -rf "$DRIVE_C/Games" "$DRIVE_C/Program Files/Quillset Studio Collection"
    local exe="${EXE_NAME//\//\\}"
    for copy in "${COPIES[@]}"; do
        folder="$DRIVE_C/$copy"
        mkdir -p "$folder/Resource" "$folder/Data" "$(dirname "$folder/$EXE_NAME")"
        cp "$TARGET_EXE" "$folder/$EXE_NAME"
        printf '[Files]\r\n%s\r\nData\\old_demo.map\r\n' "$exe" > "$folder/Resource/Uninstall.ini"
        printf 'Base/1.0\r\n' > "$folder/Resource/InstallComponents.ini"
        printf 'old map\r\n' > "$folder/Data/old_demo.map"
        record_copy "$folder"
        echo "   C:\\${copy//\//\\}\\$exe"
    done
}
DRIVE_C="$STATE/prefix/drive_c"
# The screen's DPI as the prefix tells programs; 96 unless set.
set_dpi() {
    "${ENV[@]}" run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
}
SETUP_WIN="$(winpath "$DIST/setup.exe")"

# One scripted walk through every page, its screenshots in the folder given.
walk() {  # shots-folder
    local shots="$1"
    rm -rf "$shots"
    mkdir -p "$shots"
    "${ENV[@]}" run explorer /desktop=demo,1024x768 "$(winpath "$BUILD/demo/walker.exe")" "$SETUP_WIN" \
        "$(winpath "$shots")" ${WALK_LANGUAGE:+"$WALK_LANGUAGE"} </dev/null >"$DEMO/walk.log" 2>&1 &
    local walk_pid=$!
    local deadline=$((SECONDS + 180))
    while [ ! -e "$shots/walk.ok" ] && [ ! -e "$shots/walk.failed" ]; do
        if [ $SECONDS -ge $deadline ]; then echo "demo: the walk did not finish in time" >&2; break; fi
        for want in "$shots"/*.want; do
            [ -e "$want" ] || continue
            stem="${want%.want}"
            # Wine puts what a window painted on the screen a moment later, so the
            # shot is taken once three grabs in a row agree.
            "${ENV[@]}" shell sh -c '
                last=""; same=0; tries=0
                while [ $same -lt 2 ] && [ $tries -lt 40 ]; do
                    xwd -root -silent > "$1.xwd"
                    now="$(md5sum < "$1.xwd")"
                    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; fi
                    last="$now"; tries=$((tries + 1))
                    sleep 0.1
                done
                convert "xwd:$1.xwd" "$1.png" && rm -f "$1.xwd"' _ "$stem"
            rm -f "$want"
            touch "$stem.done"
            echo "   $(basename "$stem").png"
        done
        sleep 0.05
    done
    rm -f "$shots"/*.done
    kill "$walk_pid" 2>/dev/null || true
    if [ -e "$shots/walk.ok" ]; then
        rm -f "$shots/walk.ok"
        return 0
    fi
    echo "demo: the walk failed: $(cat "$shots/walk.failed" 2>/dev/null)" >&2
    return 1
}

demo() {
    assemble
    local interactive=0
    if [ -n "${DISPLAY:-}" ]; then interactive=1; fi
    # Whatever display an earlier demo run used is dropped, so this run takes the right one.
    "${ENV[@]}" stop >/dev/null 2>&1 || true
    "${ENV[@]}" start
    set_dpi 96
    prepare_copies
    if [ "$interactive" = 1 ]; then
        echo "== running the wizard on $DISPLAY (close it to end the demo)"
        "${ENV[@]}" run "$SETUP_WIN"
        exit 0
    fi

    echo "== scripted walk under Xvfb"
    rm -rf "$SHOTS"
    local walk_ok=1
    walk "$SHOTS" || walk_ok=0
    local target="$DRIVE_C/${COPIES[1]}"
    local installed
    installed="$(cd "$target" && find Addons Resource -type f | sort)"
    # The same walk on a 144 DPI screen (150 %), from fresh copies.
    if [ "$walk_ok" = 1 ]; then
        echo "== the same walk at 144 DPI"
        set_dpi 144
        prepare_copies >/dev/null
        walk "$SHOTS/144dpi" || walk_ok=0
        set_dpi 96
    fi
    "${ENV[@]}" stop >/dev/null 2>&1 || true

    if [ "$walk_ok" = 1 ]; then
        echo "== the walk went through every page; screenshots in $SHOTS (at 144 DPI in $SHOTS/144dpi):"
        ls "$SHOTS"/*.png "$SHOTS"/144dpi/*.png | sed 's/^/   /'
        echo "== installed into C:\\${COPIES[1]//\//\\}:"
        sed 's/^/   /' <<<"$installed"
        exit 0
    fi
    exit 1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then demo; fi
