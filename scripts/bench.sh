#!/usr/bin/env bash
# The benchmark; not part of the test command. Builds first, then measures under Xvfb, each
# measurement on a fresh copy of the prepared Wine prefix with a warm Wine server, for every
# build that the host runs (x86 and x64, or x64 alone; ZRN_ARCHS picks), and prints for each
# ratio the median and the spread (lowest to highest) of both sides over several runs:
#   - start of setup.exe to its visible welcome page, against a minimal dialog program of the
#     same kind (tools/bench/bench_dialog.cpp) under the same Wine, without and with setup.exe's
#     manifest (the common controls 6, which setup.exe must load): RUNS starts each, in turn;
#   - the quiet install (setup.exe /install /newport /quiet /yes) against the same platform calls
#     made directly by a child process of bench.exe (the program's own overhead), and those
#     against only the calls that change the machine, with CopyFileA for the shell's copies
#     (the platform's floor): whole processes, each one process start;
#   - the copy task on a package of 1,000 files (Finish to the end of the program) against the
#     same shell copy made directly (SHFileOperationA, the program's own overhead) and against
#     CopyFileA in a loop (the platform's cost of the shell's copy);
#   - the peak memory (maximum resident set size, /usr/bin/time -v) of setup.exe through the
#     install task against the minimal dialog program (both kinds); of the quiet install
#     against the same calls made directly; and of those against the minimal dialog (the
#     platform's share);
#   - the size of the shipped setup.exe and the libraries it loads at start.
# Tools: /usr/bin/time, date, bash, awk; RUNS (default 20) and REPEATS (default 5) can be set.
source "$(dirname "$0")/common.sh"

RUNS="${RUNS:-20}"
REPEATS="${REPEATS:-5}"
COPY_FILES=1000

choose_archs
work="$(mktemp -d /tmp/zrn-bench.XXXXXX)"

current_prefix=
new_prefix() {
    current_prefix="$(mktemp -d "$work/prefix.XXXXXX")"
    cp -a "$template/." "$current_prefix/"
    export WINEPREFIX="$current_prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
end_prefix() {
    if [ -n "$current_prefix" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        rm -rf "$current_prefix"
        current_prefix=
    fi
}
cleanup() {
    end_prefix
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb

win() { winepath -w "$1" 2>/dev/null; }
# Runs bench.exe; prints its RESULT line without the word, or fails with its output.
measure() {
    local out
    out="$(wine "$bench" "$@" </dev/null 2>&1)" || { echo "$out" >&2; return 1; }
    printf '%s\n' "$out" | grep '^  ' >&2 || true
    printf '%s\n' "$out" | sed -n 's/^RESULT //p'
}
field() { awk -v k="$1" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }'; }
# The median and the spread of the numbers on standard input: "median low high".
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%s %s %s", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
# One line of the report: what, the two sides' "median low high", the unit.
row() {
    local what="$1" unit="$4"
    read -r a alo ahi <<<"$2"
    read -r b blo bhi <<<"$3"
    printf '%-52s %8s %s [%s-%s]  %8s %s [%s-%s]  %5s\n' "$what" "$a" "$unit" "$alo" "$ahi" "$b" "$unit" "$blo" "$bhi" \
        "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
}
peak_kb() { sed -n 's/.*Maximum resident set size (kbytes): //p' "$1"; }
# The milliseconds from one start of DIR\EXE ($1, $2) to its visible window CAPTION ($3).
start_ms() { measure start "$(win "$1")" "$2" "$3" 1 | field median; }
# The median and the spread of the numbers given: "median low high".
of() { printf '%s\n' "$@" | stats; }
# The peak memory of a minimal dialog program ($1, without .exe) until Cancel closes it.
dialog_peak_kb() {
    local timed
    (cd "$benchdir" && /usr/bin/time -v -o "$work/$1.time" wine "$1.exe" </dev/null >/dev/null 2>&1) &
    timed=$!
    measure close "Minimal Dialog" >/dev/null
    wait "$timed" || true
    peak_kb "$work/$1.time"
}

bench_arch() {
    use_arch "$1"
    log "$(arch_note): measuring the $ARCH build"
    "$ROOT/scripts/build.sh" "$ARCH"
    template="$BUILD/prefix-template"
    "$ROOT/scripts/prefix.sh" "$ARCH" "$template"
    package="$BUILD/package"
    benchdir="$BUILD/tools/bench"
    bench="$benchdir/bench.exe"
    local t_start t_end i setup_start dialog_start dialog6_start
    t_start=$(date +%s%N)

    log "$ARCH: start to the visible window ($RUNS starts each, alternating)"
    # One unmeasured start of each first (the same warm file cache for both), then the two
    # programs in turn, so that a slower spell of the machine falls on both alike.
    new_prefix
    local starts_setup=() starts_dialog=() starts_dialog6=()
    for i in $(seq 0 "$RUNS"); do
        starts_setup+=("$(start_ms "$package" setup.exe "ZRN 7730 Printer Driver Wizard")")
        starts_dialog+=("$(start_ms "$benchdir" bench_dialog.exe "Minimal Dialog")")
        starts_dialog6+=("$(start_ms "$benchdir" bench_dialog6.exe "Minimal Dialog")")
    done
    # The first start of each is the unmeasured one.
    starts_setup=("${starts_setup[@]:1}")
    starts_dialog=("${starts_dialog[@]:1}")
    starts_dialog6=("${starts_dialog6[@]:1}")
    setup_start="$(of "${starts_setup[@]}")"
    dialog_start="$(of "${starts_dialog[@]}")"
    dialog6_start="$(of "${starts_dialog6[@]}")"
    end_prefix

    log "$ARCH: quiet install and the same calls made directly ($REPEATS fresh machines each)"
    local quiet=() same=() direct=()
    for i in $(seq 1 "$REPEATS"); do
        new_prefix
        quiet+=("$(measure quiet "$(win "$package")" | field lifetime)")
        end_prefix
        new_prefix
        same+=("$(measure direct-same-process "$(win "$package")" | field lifetime)")
        end_prefix
        new_prefix
        direct+=("$(measure direct-process "$(win "$package")" | field lifetime)")
        end_prefix
    done

    log "$ARCH: copy task on a package of $COPY_FILES files ($REPEATS runs each)"
    local big="$work/package-1000-$ARCH" files
    rm -rf "$big"
    cp -a "$package" "$big"
    files=$(find "$big" -type f | wc -l)
    for i in $(seq 1 $((COPY_FILES - files))); do
        head -c $((1024 + (i * 37) % 7168)) /dev/urandom > "$(printf '%s/DATA%04d.BIN' "$big" "$i")"
    done
    files=$(find "$big" -type f | wc -l)
    local copy=() shell=() copyfile=()
    new_prefix
    for i in $(seq 1 "$REPEATS"); do
        copy+=("$(measure copy "$(win "$big")" "C:\\bench copy\\task$i" | field finish-to-exit)")
        shell+=("$(measure shellcopy "$(win "$big")" "C:\\bench copy\\shell$i" | field shellcopy)")
        copyfile+=("$(measure copyfile "$(win "$big")" "C:\\bench copy\\copyfile$i" | field copyfile)")
    done
    end_prefix

    log "$ARCH: peak memory ($REPEATS runs each)"
    local setup_kb=() dialog_kb=() dialog6_kb=() quiet_kb=() same_kb=() timed
    for i in $(seq 1 "$REPEATS"); do
        new_prefix
        wine net start spooler </dev/null >/dev/null 2>&1 || true
        (cd "$package" && /usr/bin/time -v -o "$work/quiet.time" wine setup.exe /install /newport /quiet /yes \
            </dev/null >/dev/null 2>&1) || die "the quiet install failed"
        end_prefix
        new_prefix
        (cd "$package" && /usr/bin/time -v -o "$work/same.time" wine "$bench" direct-same "$(win "$package")" \
            </dev/null >/dev/null 2>&1) || die "the same calls made directly failed"
        end_prefix
        quiet_kb+=("$(peak_kb "$work/quiet.time")")
        same_kb+=("$(peak_kb "$work/same.time")")
        new_prefix
        (cd "$package" && /usr/bin/time -v -o "$work/setup.time" wine setup.exe </dev/null >/dev/null 2>&1) &
        timed=$!
        measure adopt >/dev/null
        wait "$timed" || true
        dialog_kb+=("$(dialog_peak_kb bench_dialog)")
        dialog6_kb+=("$(dialog_peak_kb bench_dialog6)")
        end_prefix
        setup_kb+=("$(peak_kb "$work/setup.time")")
    done
    t_end=$(date +%s%N)

    local objdump=x86_64-w64-mingw32-objdump
    [ "$ARCH" = x86 ] && objdump=i686-w64-mingw32-objdump
    echo
    echo "ZRN 7730 Printer Driver Wizard benchmark, $ARCH build ($(wine --version 2>/dev/null), $(nproc) cores)"
    echo "each side: median [lowest-highest]; the ratio is of the medians"
    printf '%-52s %22s  %22s  %5s\n' "measurement" "wizard" "reference" "ratio"
    row "start to the visible window (minimal dialog; $RUNS)" "$setup_start" "$dialog_start" ms
    row "start (the same with the manifest; $RUNS)" "$setup_start" "$dialog6_start" ms
    row "quiet install (same calls, whole process; $REPEATS)" "$(of "${quiet[@]}")" \
        "$(of "${same[@]}")" ms
    row "same calls (changing calls, CopyFileA; $REPEATS)" "$(of "${same[@]}")" \
        "$(of "${direct[@]}")" ms
    row "copy task, $files files (same shell copy; $REPEATS)" "$(of "${copy[@]}")" \
        "$(of "${shell[@]}")" ms
    row "shell copy, $files files (CopyFileA loop; $REPEATS)" "$(of "${shell[@]}")" \
        "$(of "${copyfile[@]}")" ms
    row "peak memory, install task (minimal dialog; $REPEATS)" "$(of "${setup_kb[@]}")" \
        "$(of "${dialog_kb[@]}")" KiB
    row "peak memory, install task (with the manifest; $REPEATS)" "$(of "${setup_kb[@]}")" \
        "$(of "${dialog6_kb[@]}")" KiB
    row "peak memory, quiet install (same calls; $REPEATS)" "$(of "${quiet_kb[@]}")" \
        "$(of "${same_kb[@]}")" KiB
    row "peak memory, same calls (minimal dialog; $REPEATS)" "$(of "${same_kb[@]}")" \
        "$(of "${dialog_kb[@]}")" KiB
    echo "setup.exe: $(stat -c %s "$package/setup.exe") bytes; libraries loaded at start:" \
        "$("$objdump" -p "$package/setup.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')"
    echo "benchmark wall time: $(( (t_end - t_start) / 1000000 )) ms"
}

"$ROOT/scripts/setup.sh"
if ! [ -x /usr/bin/time ]; then
    log "installing time"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq time >/dev/null
fi
log "$(host_note)"
for arch in $ARCHS; do
    bench_arch "$arch"
done
