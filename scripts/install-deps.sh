#!/bin/bash
# Installs every Debian package the build, the tests and the demo need, on a
# fresh Debian 12 machine as root. Quick when everything is already there.
# A mirror caught mid-sync is tolerated (scripts/lib/apt-tolerant.sh).
set -euo pipefail
source "$(dirname "$0")/lib/apt-tolerant.sh"
PACKAGES=(
    g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine32:i386 wine64 xvfb x11-apps imagemagick locales
    cmake make g++ googletest clang-14 libclang-rt-14-dev python3 osslsigncode openssl git
)
missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then missing+=("$p"); fi
done
if [ ${#missing[@]} -gt 0 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
    apt_update_tolerant
    apt_install_tolerant "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    sed -i 's/^# *ru_RU.UTF-8/ru_RU.UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
