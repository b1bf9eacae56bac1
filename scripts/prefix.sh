#!/usr/bin/env bash
# Creates a Wine prefix of the selected architecture, ready for the wizard:
#   prefix.sh x86|x64 DIR
# x86: 32-bit prefix in Windows XP mode; x64: 64-bit prefix in Windows XP x64 mode (5.2).
# The prefix gets the stand-in of the base printer INF that Windows ships (Wine has none),
# and windows that close without a stall (no window manager under Xvfb).
source "$(dirname "$0")/common.sh"
use_arch "${1:?usage: prefix.sh x86|x64 DIR}"
prefix="${2:?usage: prefix.sh x86|x64 DIR}"

stamp="$prefix/.zrn-prefix"
want="$(cat "$0" "$ROOT/scripts/common.sh" "$ROOT"/sample/base/*.inf 2>/dev/null | md5sum | cut -d' ' -f1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    exit 0
fi

export WINEPREFIX="$prefix"
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
own_x=
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    own_x=1
fi
log "creating $ARCH Wine prefix $prefix ($WINEARCH, $WINE_VERSION)"
wine_or_die "the Wine prefix $prefix could not be created" wineboot -i
wine reg add 'HKCU\Software\Wine' /v Version /d "$WINE_VERSION" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
for inf in "$ROOT"/sample/base/*.inf; do
    [ -f "$inf" ] && cp "$inf" "$prefix/drive_c/windows/inf/"
done
check_wine_starts
wineserver -w
[ -n "$own_x" ] && stop_xvfb
echo "$want" > "$stamp"
