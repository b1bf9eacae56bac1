#!/usr/bin/env bash
# Installs what the build, the run and the tests need (Debian 12, as root). Fast when all is there.
# wine32 (the 32-bit loader for the x86 build) only where the kernel runs 32-bit programs.
source "$(dirname "$0")/common.sh"

PACKAGES=(binutils mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64
          xvfb x11-utils imagemagick cmake ninja-build googletest g++ clang)

install_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    log "installing: ${missing[*]}"
    case " ${missing[*]} " in
        *":i386 "*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
    esac
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
        die "apt-get could not install: ${missing[*]}"
}

install_packages "${PACKAGES[@]}"
case " $(host_archs) " in
    *" x86 "*) install_packages wine32:i386 ;;
esac
