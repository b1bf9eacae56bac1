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
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '== %s\n' "$*" >&2; }
die() { printf '== ERROR: %s\n' "$*" >&2; exit 1; }

# True when this kernel runs 32-bit (i386) programs. Some x86-64 kernels have 32-bit
# emulation switched off; there no form of 32-bit Wine works. The check runs a tiny static
# i386 program made with the host's assembler and linker (binutils).
host_runs_32bit() {
    local dir rc=1
    command -v as >/dev/null 2>&1 && command -v ld >/dev/null 2>&1 || return 1
    dir="$(mktemp -d /tmp/zrn-ia32-XXXXXX)"
    if printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
            as --32 -o "$dir/t.o" - 2>/dev/null &&
        ld -m elf_i386 -o "$dir/t" "$dir/t.o" 2>/dev/null; then
        "$dir/t" 2>/dev/null && rc=0
    fi
    rm -rf "$dir"
    return $rc
}

# The architectures this host can test, x86 first: "x86 x64" or "x64". ZRN_ARCHS overrides.
HOST_ARCHS=
host_archs() {
    if [ -n "${ZRN_ARCHS:-}" ]; then
        HOST_ARCHS="$ZRN_ARCHS"
    elif [ -z "$HOST_ARCHS" ]; then
        if host_runs_32bit; then HOST_ARCHS="x86 x64"; else HOST_ARCHS="x64"; fi
    fi
    echo "$HOST_ARCHS"
}

# One line on which architectures are tested here, and why one is left out.
arch_note() {
    case " $(host_archs) " in
        *" x86 "*" x64 "*) echo "this host runs 32-bit and 64-bit programs: testing the x86 and the x64 build" ;;
        *" x64 "*) if host_runs_32bit; then echo "testing the x64 build only (ZRN_ARCHS=$ZRN_ARCHS)"
                   else echo "this kernel does not run 32-bit programs: testing the x64 build only"; fi ;;
        *) echo "testing the $(host_archs) build only (ZRN_ARCHS=$ZRN_ARCHS)" ;;
    esac
}

# Selects an architecture (x86 or x64) for what follows: BUILD, TOOLCHAIN, WINEARCH,
# WINE_VERSION (the Windows version of its prefixes), and a wine, wineserver, wineboot and
# winepath first on PATH that use that architecture's Wine loader. Debian's own wine
# wrapper always picks the 32-bit loader when wine32 is installed.
use_arch() {
    ARCH="${1:?use_arch x86|x64}"
    BUILD="$BUILD_ROOT/$ARCH"
    local loader
    case "$ARCH" in
        x86) TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"; export WINEARCH=win32
             WINE_VERSION=winxp; loader=/usr/lib/wine/wine ;;
        x64) TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"; export WINEARCH=win64
             WINE_VERSION=winxp64; loader=/usr/lib/wine/wine64 ;;
        *) die "unknown architecture '$ARCH' (x86 or x64)" ;;
    esac
    export ZRN_ARCH="$ARCH"
    local bin="$BUILD_ROOT/wine-$ARCH"
    if [ -x "$loader" ]; then
        mkdir -p "$bin"
        printf '#!/bin/sh\nexec %s "$@"\n' "$loader" > "$bin/wine"
        printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 -p0 "$@"\n' > "$bin/wineserver"
        for tool in wineboot winepath; do
            printf '#!/bin/sh\nexec %s %s.exe "$@"\n' "$loader" "$tool" > "$bin/$tool"
        done
        cp "$bin/wine" "$bin/wine-stable"
        chmod +x "$bin"/*
        export WINELOADER="$loader" WINESERVER=/usr/lib/wine/wineserver64
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
