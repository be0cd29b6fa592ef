#!/bin/bash
# Owns the Wine environment that the tests and the demo run in: a private prefix
# (created once), the Russian ANSI code page, an X display (Xvfb when none is
# given) and a persistent wineserver, so that each program start is cheap.
#
#   wine-env.sh [--state DIR] start         set everything up (idempotent)
#   wine-env.sh [--state DIR] run PROG ARGS  run a Windows program (starts the env lazily)
#   wine-env.sh [--state DIR] shell CMD...   run a Linux command inside the environment
#   wine-env.sh [--state DIR] stop          end the wineserver and the Xvfb it started
set -u
STATE="${WINE_ENV_STATE:-$PWD/.wine-env}"
if [ "${1:-}" = "--state" ]; then STATE="$2"; shift 2; fi
mkdir -p "$STATE"
STATE="$(cd "$STATE" && pwd)"

export WINEPREFIX="$STATE/prefix"
# One 64-bit prefix for both builds: wine64 runs PE32+ programs itself and hands
# PE32 ones to Wine's 32-bit loader (run through scripts/wine32.sh where the
# kernel cannot run 32-bit code).
WINE=/usr/lib/wine/wine64
export WINELOADER=$WINE
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ru_RU.UTF-8
# Keep Wine from offering to download Mono and Gecko while it builds the prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

load_display() {
    if [ -f "$STATE/display" ]; then export DISPLAY="$(cat "$STATE/display")"; fi
}

xvfb_alive() {
    [ -f "$STATE/xvfb.pid" ] && kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null
}

start_display() {
    if [ -n "${DISPLAY:-}" ] && [ ! -f "$STATE/xvfb.pid" ]; then
        echo "$DISPLAY" > "$STATE/display"
        return
    fi
    if xvfb_alive; then return; fi
    rm -f "$STATE/xvfb.pid" "$STATE/display"
    exec 5>"$STATE/display.fd"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>"$STATE/xvfb.log" &
    echo $! > "$STATE/xvfb.pid"
    exec 5>&-
    for _ in $(seq 1 100); do
        if [ -s "$STATE/display.fd" ]; then break; fi
        sleep 0.05
    done
    local num; num="$(head -n1 "$STATE/display.fd" | tr -d ' \n')"
    if [ -z "$num" ]; then echo "wine-env: Xvfb did not start" >&2; cat "$STATE/xvfb.log" >&2; exit 1; fi
    echo ":$num" > "$STATE/display"
}

make_prefix() {
    if [ -f "$WINEPREFIX/.ready-wine64" ]; then return; fi
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # Without a window manager Wine waits about 2 s whenever a managed window
    # (any message box) is hidden; unmanaged windows avoid that wait.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    # A program that crashes ends at once instead of starting the debugger,
    # which would hold the test's output open.
    "$WINE" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /t REG_SZ /d "" /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready-wine64"
}


server_alive() {
    [ -f "$STATE/server.pid" ] && kill -0 "$(cat "$STATE/server.pid")" 2>/dev/null
}

start_all() {
    exec 9>"$STATE/lock"
    flock 9
    start_display
    load_display
    make_prefix
    # Drive T: is a plain folder, so that tests can put a program at a drive's root.
    mkdir -p "$STATE/drive-t"
    ln -sfn "$STATE/drive-t" "$WINEPREFIX/dosdevices/t:"
    if ! server_alive; then
        # Detached with its stdio closed, or a job that waits on our output would hang.
        setsid wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
        echo $! > "$STATE/server.pid"
        # Start Wine's own services now, detached: started by a test instead, they
        # would inherit its output pipes and CTest would wait on them forever.
        "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&-
    fi
    flock -u 9
}

stop_all() {
    load_display
    wineserver -k 2>/dev/null || true
    # A start right after must not meet this server on its way out: the new
    # one would refuse to run and its programs fail once the old one is gone.
    timeout 30 wineserver -w 2>/dev/null || true
    rm -f "$STATE/server.pid"
    if xvfb_alive; then kill "$(cat "$STATE/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$STATE/xvfb.pid" "$STATE/display" "$STATE/display.fd"
}

cmd="${1:-}"; shift || true
case "$cmd" in
    start) start_all ;;
    stop) stop_all ;;
    run)
        if ! server_alive || [ ! -f "$STATE/display" ] || { [ -f "$STATE/xvfb.pid" ] && ! xvfb_alive; }; then
            start_all
        fi
        load_display
        exec "$WINE" "$@"
        ;;
    shell)
        if ! server_alive; then start_all; fi
        load_display
        exec "$@"
        ;;
    *) echo "usage: wine-env.sh [--state DIR] start|run PROG ARGS|shell CMD|stop" >&2; exit 2 ;;
esac
