#!/bin/bash
# A nearly full disk for the tests: a 2 MB tmpfs mounted under the Wine state
# folder and linked as drive R: of the test prefix.
#   small-drive.sh STATE mount     (needs root; without it nothing is mounted
#                                   and the tests that want R: skip)
#   small-drive.sh STATE unmount
set -u
STATE="$1"
MOUNT="$STATE/small-drive"
LINK="$STATE/prefix/dosdevices/r:"
case "${2:-}" in
    mount)
        if [ "$(id -u)" != 0 ]; then
            echo "small-drive: not root, so no tmpfs is mounted; the full-disk test skips"
            exit 0
        fi
        mkdir -p "$MOUNT"
        if ! mountpoint -q "$MOUNT" && ! mount -t tmpfs -o size=2m tmpfs "$MOUNT"; then
            echo "small-drive: the tmpfs could not be mounted; the full-disk test skips"
            exit 0
        fi
        ln -sfn "$MOUNT" "$LINK"
        echo "small-drive: R: is a 2 MB tmpfs at $MOUNT"
        ;;
    unmount)
        rm -f "$LINK"
        if mountpoint -q "$MOUNT"; then umount "$MOUNT" || umount -l "$MOUNT"; fi
        rmdir "$MOUNT" 2>/dev/null || true
        ;;
    *) echo "usage: small-drive.sh STATE mount|unmount" >&2; exit 2 ;;
esac
