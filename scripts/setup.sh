#!/usr/bin/env bash
# Installs what the build, the run and the tests need (Debian 12, as root). Fast when all is there.
source "$(dirname "$0")/common.sh"

PACKAGES=(mingw-w64 g++-mingw-w64-i686-posix wine wine32:i386 xvfb x11-utils imagemagick
          cmake ninja-build googletest g++ clang)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
