#!/usr/bin/env bash
# Runs every test of every architecture this host can run: installs what is missing, and for
# each architecture (x86, then x64) builds, prepares a fresh Wine prefix from the template,
# then runs the unit, integration, end-to-end and native tests under Xvfb with a warm Wine
# server. Extra arguments go to ctest (e.g. -R unit). ZRN_ARCHS="x64" picks architectures.
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"
choose_archs
note="$(arch_note testing)"
log "$note"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    stop_xvfb
}
trap cleanup EXIT
start_xvfb

summary=()
passed=0
failed=0
rc=0

# The scripts' own checks first (seconds): shellcheck at warning level, and the tests of the
# scripts' host decisions with the host check stubbed both ways.
log "scripts: shellcheck and bats"
scripts_line="scripts: shellcheck clean"
if ! shellcheck -S warning "$ROOT"/scripts/*.sh "$ROOT"/.ci/run "$ROOT"/tests/e2e/*.sh \
        "$ROOT"/tests/native/*.sh; then
    scripts_line="scripts: shellcheck found faults (above)"
    rc=1
fi
set +e
bats_out="$(bats --tap "$ROOT/tests/scripts" 2>&1)"
bats_rc=$?
set -e
bats_ok=$(grep -c '^ok ' <<<"$bats_out" || true)
bats_bad=$(grep -c '^not ok ' <<<"$bats_out" || true)
if [ "$bats_rc" -ne 0 ]; then
    printf '%s\n' "$bats_out"
    [ "$bats_bad" -gt 0 ] || bats_bad=1
    rc=1
fi
summary+=("$scripts_line; bats: $bats_ok passed, $bats_bad failed")

for arch in $ARCHS; do
    use_arch "$arch"
    log "$arch: building $BUILD"
    "$ROOT/scripts/build.sh" "$arch" || die "the $arch build failed"
    "$ROOT/scripts/prefix.sh" "$arch" "$BUILD/prefix-template"
    export WINEPREFIX="$BUILD/prefix-test"
    log "$arch: fresh test prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    cp -a "$BUILD/prefix-template" "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    check_wine_starts

    log "$arch: running tests"
    start=$(date +%s)
    set +e
    ctest --test-dir "$BUILD" --output-on-failure --timeout 900 "$@" | tee "$BUILD/ctest.log"
    arch_rc=${PIPESTATUS[0]}
    set -e
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    seconds=$(( $(date +%s) - start ))
    line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$BUILD/ctest.log" | tail -1)"
    if [ -n "$line" ]; then
        total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    else
        total=0; bad=1; line="no tests ran"
    fi
    passed=$(( passed + total - bad ))
    failed=$(( failed + bad ))
    summary+=("$arch: $line (${seconds} s)")
    [ "$arch_rc" -eq 0 ] || rc=1
done

# The x86 build is the shipped program: where its tests cannot run, it is still built.
if ! archs_have x86; then
    log "x86: building the program and its package (not run: $note)"
    "$ROOT/scripts/build.sh" x86 setup package_layout || die "the x86 build failed"
    summary+=("x86: setup.exe and the sample package built, not tested")
fi

echo
echo "== $note"
for s in "${summary[@]}"; do echo "== $s"; done
echo "== $passed passed, $failed failed"
exit $rc
