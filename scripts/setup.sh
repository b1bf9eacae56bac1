#!/usr/bin/env bash
# Installs what the build, the run and the tests need (Debian 12, as root). Fast when all is there.
# wine32 (the 32-bit loader for the x86 build) only where the kernel runs 32-bit programs
# (and ZRN_ARCHS, when set, asks for x86).
source "$(dirname "$0")/common.sh"

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

mapfile -t packages < <(base_packages)
install_packages "${packages[@]}"
# The host check runs only now that binutils is there.
choose_archs
mapfile -t packages < <(arch_packages)
[ ${#packages[@]} -eq 0 ] || install_packages "${packages[@]}"

# The Japanese locale: Wine takes its ANSI code page from it (932, double-byte), for the
# tests of double-byte names.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    log "making the locale ja_JP.UTF-8"
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || die "localedef could not make ja_JP.UTF-8"
fi
