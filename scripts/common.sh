# shellcheck shell=bash
# Shared settings of the project's scripts. Source it; do not run it.
#
# Two builds come from one source tree, each in its own directory under $BUILD_ROOT
# (build/, or $ZRN_BUILD): build/x86 (the program shipped for Windows 2000/XP, tested under
# 32-bit Wine in Windows XP mode) and build/x64 (for the NT 5.2 x64 systems, tested under
# 64-bit Wine in Windows XP x64 mode). Each holds its CMake build, its sample packages and
# its Wine prefixes. use_arch selects one: BUILD, the Wine loader and the prefix settings.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_ROOT="${ZRN_BUILD:-$ROOT/build}"
# Where Debian's Wine keeps its loaders and server (the script tests point it elsewhere).
WINE_LIB="${ZRN_WINE_LIB:-/usr/lib/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '== %s\n' "$*" >&2; }
die() { printf '== ERROR: %s\n' "$*" >&2; exit 1; }

# True when this kernel runs 32-bit (i386) programs. Some x86-64 kernels have 32-bit
# emulation switched off; there no form of 32-bit Wine works. The check runs a tiny static
# i386 program made with the host's assembler and linker (binutils).
host_runs_32bit() {
    local dir rc=1
    command -v as >/dev/null 2>&1 && command -v ld >/dev/null 2>&1 ||
        die "the host check needs binutils (as, ld): run scripts/setup.sh first"
    dir="$(mktemp -d /tmp/zrn-ia32-XXXXXX)"
    if printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
            as --32 -o "$dir/t.o" - 2>/dev/null &&
        ld -m elf_i386 -o "$dir/t" "$dir/t.o" 2>/dev/null; then
        "$dir/t" 2>/dev/null && rc=0
    fi
    rm -rf "$dir"
    return $rc
}

# The architectures to work on, x86 first, in ARCHS, and why in ARCHS_WHY: "both" (the kernel
# runs 32-bit programs: x86 and x64), "x64only" (it does not: x64), or "chosen" (ZRN_ARCHS,
# checked: only x86 and x64, and x86 only where the kernel runs it). Call it once, directly
# (not in a command substitution), before the functions below.
ARCHS=
ARCHS_WHY=
choose_archs() {
    local a x86='' x64=''
    if [ -n "${ZRN_ARCHS:-}" ]; then
        for a in $ZRN_ARCHS; do
            case "$a" in
                x86) x86=1 ;;
                x64) x64=1 ;;
                *) die "ZRN_ARCHS='$ZRN_ARCHS': unknown architecture '$a' (x86 or x64)" ;;
            esac
        done
        [ -n "$x86$x64" ] || die "ZRN_ARCHS is blank (x86, x64 or \"x86 x64\")"
        if [ -n "$x86" ] && ! host_runs_32bit; then
            die "ZRN_ARCHS='$ZRN_ARCHS' asks for x86, but this kernel does not run 32-bit programs"
        fi
        ARCHS="${x86:+x86}${x86:+${x64:+ }}${x64:+x64}"
        ARCHS_WHY=chosen
    elif host_runs_32bit; then
        ARCHS="x86 x64"; ARCHS_WHY=both
    else
        ARCHS="x64"; ARCHS_WHY=x64only
    fi
}

# Whether ARCHS holds the architecture $1.
archs_have() {
    case " $ARCHS " in *" $1 "*) return 0 ;; esac
    return 1
}

# The architecture that the run and the benchmarks use: the first of ARCHS (x86 where the
# host runs it: the shipped program).
primary_arch() { echo "${ARCHS%% *}"; }

# What the host is, in a few words (the first part of the scripts' first and last lines).
host_note() {
    case "$ARCHS_WHY" in
        both) echo "this host runs 32-bit and 64-bit programs" ;;
        x64only) echo "this kernel does not run 32-bit programs" ;;
        chosen) echo "ZRN_ARCHS=\"$ZRN_ARCHS\" chosen by hand" ;;
        *) die "choose_archs was not called" ;;
    esac
}

# "<host note>: <verb> the x86 and the x64 build" (or "... the x64 build only").
arch_note() {
    local verb="${1:-testing}"
    if archs_have x86 && archs_have x64; then
        echo "$(host_note): $verb the x86 and the x64 build"
    else
        echo "$(host_note): $verb the $ARCHS build only"
    fi
}

# The Debian packages that the build, the run and the tests need on every host (binutils
# first: the host check needs its assembler and linker), one a line.
base_packages() {
    printf '%s\n' binutils mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
        wine wine64 xvfb x11-utils imagemagick cmake ninja-build googletest g++ clang \
        shellcheck bats locales
}

# The packages that the architectures of ARCHS add: wine32 (the 32-bit loader) for x86.
arch_packages() {
    if archs_have x86; then echo wine32:i386; fi
}

# Selects an architecture (x86 or x64) for what follows: BUILD, TOOLCHAIN, WINEARCH,
# WINE_VERSION (the Windows version of its prefixes), LOADER (its Wine loader), and, where
# that loader is installed, a wine, wineserver, wineboot and winepath first on PATH that use
# it. Debian's own wine wrapper always picks the 32-bit loader when wine32 is installed.
# BUILD, TOOLCHAIN and WINE_VERSION are read by the scripts that source this file.
# shellcheck disable=SC2034
use_arch() {
    ARCH="${1:?use_arch x86|x64}"
    BUILD="$BUILD_ROOT/$ARCH"
    case "$ARCH" in
        x86) TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"; export WINEARCH=win32
             WINE_VERSION=winxp; LOADER="$WINE_LIB/wine" ;;
        x64) TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"; export WINEARCH=win64
             WINE_VERSION=winxp64; LOADER="$WINE_LIB/wine64" ;;
        *) die "unknown architecture '$ARCH' (x86 or x64)" ;;
    esac
    export ZRN_ARCH="$ARCH"
    local bin="$BUILD_ROOT/wine-$ARCH" server="$WINE_LIB/wineserver64" tool
    if [ -x "$LOADER" ]; then
        mkdir -p "$bin"
        printf '#!/bin/sh\nexec %s "$@"\n' "$LOADER" > "$bin/wine"
        printf '#!/bin/sh\nexec %s -p0 "$@"\n' "$server" > "$bin/wineserver"
        for tool in wineboot winepath; do
            printf '#!/bin/sh\nexec %s %s.exe "$@"\n' "$LOADER" "$tool" > "$bin/$tool"
        done
        cp "$bin/wine" "$bin/wine-stable"
        chmod +x "$bin"/*
        export WINELOADER="$LOADER" WINESERVER="$server"
        case ":$PATH:" in
            *":$bin:"*) ;;
            *) PATH="$bin:$(printf '%s' "$PATH" | sed "s#$BUILD_ROOT/wine-[a-z0-9]*:##g")" ;;
        esac
        export PATH
    fi
}

# Runs a trivial Windows program in $WINEPREFIX; on failure ends the script with the reason.
check_wine_starts() {
    wine_or_die "Wine did not start a program in $WINEPREFIX" wine cmd /c exit
}

# Runs a Wine command; when it fails, shows the end of its output and ends the script with
# WHAT and the cause. The output goes through a file: Wine's helper processes (services,
# devices) keep a pipe that they inherit open for as long as the server runs.
wine_or_die() {
    local what="$1" out rc=0
    shift
    out="$(mktemp /tmp/zrn-wine-XXXXXX)"
    "$@" </dev/null >"$out" 2>&1 || rc=$?
    if [ $rc -ne 0 ]; then
        grep -v '^wine: .*fixme\|^$' "$out" | tail -5 >&2 || true
        if [ $rc -eq 126 ] || grep -q 'Exec format error' "$out"; then
            rm -f "$out"
            die "$what: this host cannot run $WINELOADER (exit code $rc: the kernel refuses the program)"
        fi
        die "$what (exit code $rc; Wine's whole output: $out)"
    fi
    rm -f "$out"
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID holds its process.
start_xvfb() {
    local n
    for n in $(seq 70 120); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X${n}" ] && return 0
                sleep 0.1
            done
            kill "$XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "no free X display for Xvfb" >&2
    return 1
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
