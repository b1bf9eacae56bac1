#!/usr/bin/env bash
# Measures the destination page's directory tree on a large drive: makes a directory tree
# with COUNT directories in its root (each with SUBDIRS sub-directories), maps a free drive
# letter of the Wine prefix to it, and runs tools/bench/filldrive_bench.exe on that drive,
# which prints FillDrive's time against the time of the same two-level enumeration alone.
#
#   scripts/bench-filldrive.sh [COUNT=3000] [SUBDIRS=2] [REPEATS=5]
#
# Uses $WINEPREFIX when set (else build/<arch>/prefix-bench) and $DISPLAY when set (else Xvfb);
# the x86 build where the host runs 32-bit programs, else the x64 build.
source "$(dirname "$0")/common.sh"
choose_archs
use_arch "$(primary_arch)"

count="${1:-3000}"
subdirs="${2:-2}"
repeats="${3:-5}"

"$ROOT/scripts/build.sh" "$ARCH" filldrive_bench >/dev/null || die "cannot build filldrive_bench in $BUILD"
bench="$BUILD/tools/bench/filldrive_bench.exe"

own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$BUILD/prefix-bench"
    "$ROOT/scripts/prefix.sh" "$ARCH" "$WINEPREFIX"
    own_prefix=1
fi

tree="$(mktemp -d /tmp/zrn-bench-XXXXXX)"
out="$(mktemp /tmp/zrn-bench-out-XXXXXX)"
link=
cleanup() {
    if [ -n "$link" ]; then rm -f "$link"; fi
    rm -rf "$tree" "$out"
    if [ -n "$own_prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    stop_xvfb
}
trap cleanup EXIT

log "making $count directories with $subdirs sub-directories each in $tree"
for i in $(seq -w 1 "$count"); do
    for j in $(seq 1 "$subdirs"); do
        printf '%s\n' "$tree/Directory $i/Sub $j"
    done
    [ "$subdirs" -gt 0 ] || printf '%s\n' "$tree/Directory $i"
done | tr '\n' '\0' | xargs -0 mkdir -p
: > "$tree/readme.txt"

letter=
for l in t s r q p o n m l k j i h g; do
    if [ ! -e "$WINEPREFIX/dosdevices/$l:" ] && [ ! -L "$WINEPREFIX/dosdevices/$l:" ]; then
        letter=$l
        break
    fi
done
[ -n "$letter" ] || { log "no free drive letter in $WINEPREFIX/dosdevices"; exit 1; }
link="$WINEPREFIX/dosdevices/$letter:"
ln -s "$tree" "$link"

if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
fi
# Keeps the prefix's server up between the runs (it may be up and kept already).
wineserver -p >/dev/null 2>&1 || true
log "measuring on drive ${letter^^}: ($repeats runs)"
# Through a file: Wine's helper processes keep the output they inherit open.
rc=0
wine "$bench" "$letter" "$repeats" >"$out" 2>&1 || rc=$?
grep -v '^wine: ' "$out" || true
exit $rc
