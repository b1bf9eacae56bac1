#!/usr/bin/env bash
# Runs the wizard on the bundled sample driver package: installs what is missing, builds,
# prepares a Wine prefix (build/prefix-run), and starts setup.exe from build/package.
# With a DISPLAY the wizard opens for you; without one it runs under Xvfb and a screenshot
# of each page it meets is saved under build/screenshots.
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"
log "building"
"$ROOT/scripts/build.sh"
export WINEPREFIX="$BUILD/prefix-run"
"$ROOT/scripts/prefix.sh" "$WINEPREFIX"

package="$BUILD/package"
if [ -n "${DISPLAY:-}" ]; then
    log "starting the wizard in $package"
    cd "$package"
    exec wine setup.exe
fi

shots="$BUILD/screenshots"
mkdir -p "$shots"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    stop_xvfb
}
trap cleanup EXIT
start_xvfb
wineserver -p
if [ -x "$BUILD/tests/e2e/tour.exe" ] || [ -f "$BUILD/tests/e2e/tour.exe" ]; then
    wine "$BUILD/tests/e2e/tour.exe" "$(winepath -w "$package")" "$(winepath -w "$shots")"
    exit $?
fi

# Plain tour: show the welcome page and keep a picture of it.
log "starting the wizard under Xvfb ($DISPLAY)"
(cd "$package" && wine setup.exe >/dev/null 2>&1 &)
for _ in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"ZRN 7730 Printer Driver Wizard"'; then
        sleep 1
        import -window root "$shots/welcome.png"
        log "welcome page shown; screenshot: $shots/welcome.png"
        exit 0
    fi
    sleep 0.2
done
log "the wizard did not show its welcome page"
exit 1
