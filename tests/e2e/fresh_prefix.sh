#!/usr/bin/env bash
# Runs one end-to-end program on a clean machine: a fresh copy of the prepared Wine prefix
# template, its own warm Wine server, the program under wine, then the server ended and the
# copy removed.
#   fresh_prefix.sh PROGRAM.exe [ARGS...]
# The template is $ZRN_PREFIX_TEMPLATE, else $ZRN_BUILD_DIR/prefix-template (made by
# scripts/prefix.sh when it is missing); the architecture is $ZRN_ARCH (x86 or x64).
# DISPLAY must name the X server (Xvfb) of the run.
program="${1:?usage: fresh_prefix.sh PROGRAM.exe [ARGS...]}"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/common.sh"
use_arch "${ZRN_ARCH:?ZRN_ARCH is not set}"
build="${ZRN_BUILD_DIR:?ZRN_BUILD_DIR is not set}"
template="${ZRN_PREFIX_TEMPLATE:-$build/prefix-template}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ ! -f "$template/.zrn-prefix" ]; then
    bash "$ROOT/scripts/prefix.sh" "$ARCH" "$template" >&2
fi

prefix="$(mktemp -d "$build/prefix-fresh.XXXXXX")"
cleanup() {
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
trap cleanup EXIT

cp -a "$template/." "$prefix/"
export WINEPREFIX="$prefix"
# The server stays up between the program's own starts of setup.exe; it must keep no pipe
# of the caller's open.
wineserver -p </dev/null >/dev/null 2>&1
set +e
wine "$program" "$@"
rc=$?
set -e
exit $rc
