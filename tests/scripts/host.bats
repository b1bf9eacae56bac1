#!/usr/bin/env bats
# The scripts' decisions that depend on the kind of host, checked on any host: the host
# check (does the kernel run 32-bit programs?) is stubbed both ways.

setup() {
    # shellcheck source=../../scripts/common.sh
    source "$BATS_TEST_DIRNAME/../../scripts/common.sh"
    set +u
    unset ZRN_ARCHS
    host_runs_32bit() { [ "$FAKE_HOST_32BIT" = yes ]; }
}

@test "a host that runs 32-bit programs: both builds, x86 first, the run on x86, wine32 installed" {
    FAKE_HOST_32BIT=yes
    choose_archs
    [ "$ARCHS" = "x86 x64" ]
    [ "$(primary_arch)" = x86 ]
    [[ "$(arch_note testing)" == "this host runs 32-bit and 64-bit programs: testing the x86 and the x64 build" ]]
    [ "$(arch_packages)" = wine32:i386 ]
}

@test "a kernel without 32-bit support: x64 only, the run on x64, no wine32" {
    FAKE_HOST_32BIT=no
    choose_archs
    [ "$ARCHS" = x64 ]
    [ "$(primary_arch)" = x64 ]
    ! archs_have x86
    [[ "$(arch_note testing)" == "this kernel does not run 32-bit programs: testing the x64 build only" ]]
    [ -z "$(arch_packages)" ]
    base_packages | grep -qx wine64
}

@test "ZRN_ARCHS picks the builds, x86 first, and the note names it" {
    FAKE_HOST_32BIT=yes
    ZRN_ARCHS=x64 choose_archs
    [ "$ARCHS" = x64 ] && [ -z "$(arch_packages)" ]
    ZRN_ARCHS="x64 x86" choose_archs
    [ "$ARCHS" = "x86 x64" ] && [ "$(primary_arch)" = x86 ]
    ZRN_ARCHS=x86 choose_archs
    [ "$ARCHS" = x86 ]
    [[ "$(ZRN_ARCHS=x86 arch_note running)" == *'ZRN_ARCHS="x86"'*": running the x86 build only" ]]
}

@test "ZRN_ARCHS is refused for x86 where the kernel cannot run it, and for unknown names" {
    FAKE_HOST_32BIT=no
    run choose_archs_in_subshell x86
    [ "$status" -ne 0 ] && [[ "$output" == *"does not run 32-bit programs"* ]]
    run choose_archs_in_subshell "x64 arm64"
    [ "$status" -ne 0 ] && [[ "$output" == *"arm64"* ]]
    run choose_archs_in_subshell x64
    [ "$status" -eq 0 ]
}

choose_archs_in_subshell() { ZRN_ARCHS="$1" choose_archs; }

@test "each build uses its own Wine loader, prefix kind and Windows version" {
    ZRN_WINE_LIB="$BATS_TEST_TMPDIR/lib" ZRN_BUILD="$BATS_TEST_TMPDIR/build"
    WINE_LIB="$ZRN_WINE_LIB" BUILD_ROOT="$ZRN_BUILD"
    mkdir -p "$WINE_LIB"
    for f in wine wine64 wineserver64; do printf '#!/bin/sh\necho %s "$@"\n' "$f" >"$WINE_LIB/$f"; done
    chmod +x "$WINE_LIB"/*
    use_arch x86
    [ "$WINEARCH" = win32 ] && [ "$WINE_VERSION" = winxp ] && [ -f "$TOOLCHAIN" ]
    [ "$(wine x)" = "wine x" ] && [ "$(winepath -w y)" = "wine winepath.exe -w y" ]
    use_arch x64
    [ "$WINEARCH" = win64 ] && [ "$WINE_VERSION" = winxp64 ] && [ -f "$TOOLCHAIN" ]
    [ "$(wine x)" = "wine64 x" ] && [ "$(wineserver -k)" = "wineserver64 -p0 -k" ]
    # Only the selected architecture's wrappers are on PATH.
    [ "$(tr ':' '\n' <<<"$PATH" | grep -c "$BUILD_ROOT/wine-")" -eq 1 ]
}

# Runs setup.sh with the host check's tools and dpkg/apt-get replaced: every package counts
# as missing, and apt-get writes what it was asked to install into $BATS_TEST_TMPDIR/apt.
setup_sh_installs() {
    local bin="$BATS_TEST_TMPDIR/bin" exe_rc=1
    [ "$1" = yes ] && exe_rc=0
    mkdir -p "$bin"
    printf '#!/bin/sh\ncat >/dev/null\n' >"$bin/as"
    printf '#!/bin/sh\nwhile [ "$1" != -o ]; do shift; done\nprintf "#!/bin/sh\\nexit %s\\n" >"$2"; chmod +x "$2"\n' "$exe_rc" >"$bin/ld"
    printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && exit 0\n[ "$1" = -s ] && exit 1\nexit 0\n' >"$bin/dpkg"
    printf '#!/bin/sh\necho ja_JP.utf8\n' >"$bin/locale"
    printf '#!/bin/sh\n[ "$1" = install ] && echo "$@" >>"%s/apt"\nexit 0\n' "$BATS_TEST_TMPDIR" >"$bin/apt-get"
    chmod +x "$bin"/*
    PATH="$bin:$PATH" bash "$BATS_TEST_DIRNAME/../../scripts/setup.sh" 2>/dev/null
    cat "$BATS_TEST_TMPDIR/apt"
}

@test "setup.sh installs wine32 only where the kernel runs 32-bit programs" {
    run setup_sh_installs yes
    [ "$status" -eq 0 ] && [[ "$output" == *" wine64 "* ]] && [[ "$output" == *"wine32:i386"* ]]
    rm -f "$BATS_TEST_TMPDIR/apt"
    run setup_sh_installs no
    [ "$status" -eq 0 ] && [[ "$output" == *" wine64 "* ]] && [[ "$output" != *"wine32"* ]]
}
