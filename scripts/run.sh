#!/usr/bin/env bash
# Runs the wizard on the bundled sample driver package. Installs what is missing and builds
# first. It uses the x86 build (build/x86) where this host runs 32-bit programs, else the
# x64 build (build/x64), and says which; ZRN_ARCHS=x64 picks the x64 build anyway.
#
# With a DISPLAY: starts setup.exe from build/<arch>/package for you, in the Wine prefix
# build/<arch>/prefix-run (kept between runs, so what you install stays installed).
#
# Without a display: the tour. Under Xvfb, on a fresh copy of the prepared prefix
# (build/<arch>/prefix-tour, made anew each time), tour.exe drives setup.exe as a user would:
# the install task with a new port made in the port monitor's dialog, a RAW test page to the
# new printer, then the copy task. It prints what got installed and saves a screenshot of
# every page and message box it met in build/<arch>/screenshots/tour/ (PNG).
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"
choose_archs
use_arch "$(primary_arch)"
log "$(host_note): running the $ARCH build"
log "building $BUILD"
"$ROOT/scripts/build.sh" "$ARCH"
package="$BUILD/package"

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX="$BUILD/prefix-run"
    "$ROOT/scripts/prefix.sh" "$ARCH" "$WINEPREFIX"
    log "starting the $ARCH wizard in $package"
    cd "$package"
    exec wine setup.exe
fi

template="$BUILD/prefix-template"
"$ROOT/scripts/prefix.sh" "$ARCH" "$template"
export WINEPREFIX="$BUILD/prefix-tour"
log "fresh prefix for the tour: $WINEPREFIX"
rm -rf "$WINEPREFIX"
cp -a "$template" "$WINEPREFIX"

shots="$BUILD/screenshots/tour"
rm -rf "$shots"
mkdir -p "$shots"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    stop_xvfb
}
trap cleanup EXIT
start_xvfb
wineserver -p </dev/null >/dev/null 2>&1
check_wine_starts

log "the tour of the $ARCH build (Xvfb $DISPLAY)"
set +e
wine "$BUILD/tools/tour.exe" "$(winepath -w "$package" 2>/dev/null)" "$(winepath -w "$shots" 2>/dev/null)" </dev/null
rc=$?
set -e

echo "== screenshots"
for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" -strip "${bmp%.bmp}.png" && rm -f "$bmp"
    echo "  ${bmp%.bmp}.png"
done
exit $rc
