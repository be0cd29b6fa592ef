#!/bin/bash
# Where 32-bit Windows programs (the shipped PE32 setup.exe) can run under Wine.
# Wine's 32-bit loader is i386 Linux code: a kernel with its 32-bit emulation
# switched off cannot start it. There the loader runs under qemu-i386 (from
# bookworm-backports; bookworm's own is far too slow), registered for i386
# programs only inside a private user and mount namespace, never machine-wide.
#
#   wine32.sh mode          prints "native" or "qemu"
#   wine32.sh run CMD...    runs CMD where PE32 programs start (inside the
#                           namespace in qemu mode; qemu is fetched once)
#
# SETUP_WINE32=qemu forces the qemu way on a kernel that would not need it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/lib/apt-tolerant.sh"
CACHE="$ROOT/build/qemu"
QEMU="$CACHE/qemu-i386"

mode() {
    if [ "${SETUP_WINE32:-}" = qemu ]; then echo qemu; return; fi
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo native; else echo qemu; fi
}

# The Debian mirror the machine already uses, for a private sources list.
mirror() {
    local uri
    uri="$(grep -hoE '^URIs:[[:space:]]*\S+/debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 |
        awk '{print $2}')" || true
    if [ -z "$uri" ]; then
        uri="$(grep -hoE '^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?\S+/debian/?[[:space:]]' /etc/apt/sources.list 2>/dev/null |
            head -n1 | awk '{print $NF}')" || true
    fi
    echo "${uri:-http://deb.debian.org/debian}"
}

fetch_qemu() {
    if [ -x "$QEMU" ]; then return; fi
    echo "wine32: fetching qemu-i386 from bookworm-backports (once)" >&2
    local work="$CACHE/apt"
    rm -rf "$work"
    mkdir -p "$work/lists/partial" "$work/archives/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(mirror) bookworm-backports main" \
        > "$work/sources.list"
    local options=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
        -o "Dir::State::Lists=$work/lists" -o "Dir::Cache::Archives=$work/archives" -o APT::Sandbox::User=root)
    apt_update_tolerant "${options[@]}"
    (cd "$work" && apt-get -qq "${options[@]}" download qemu-user/bookworm-backports >&2)
    dpkg-deb -x "$work"/qemu-user_*.deb "$work/root"
    cp "$work/root/usr/bin/qemu-i386" "$QEMU.new"
    mv "$QEMU.new" "$QEMU"
    rm -rf "$work"
}

case "${1:-}" in
    mode) mode ;;
    run)
        shift
        if [ "$(mode)" = native ]; then exec "$@"; fi
        fetch_qemu
        # The entry matches i386 ELF executables; F opens qemu now, so it serves
        # every process started inside, whatever its root or mounts.
        exec unshare --user --map-root-user --mount --fork bash -c '
            mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
            printf "%s" ":setup-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$0:F" \
                > /proc/sys/fs/binfmt_misc/register
            exec "$@"' "$QEMU" "$@"
        ;;
    *) echo "usage: wine32.sh mode | run CMD..." >&2; exit 2 ;;
esac
