#!/usr/bin/env bash
# The benchmark; not part of the test command. Builds first, then measures under Xvfb, each
# measurement on a fresh copy of the prepared Wine prefix with a warm Wine server, and prints:
#   - start of setup.exe to its visible welcome page, against a minimal dialog program of the
#     same kind (tools/bench/bench_dialog.cpp) under the same Wine (median of RUNS starts);
#   - the install task driven at full speed (setup.exe's lifetime) against the same
#     installation made by direct spooler, SetupAPI and file calls (tools/bench/bench.cpp);
#   - the quiet install (setup.exe /install /newport /quiet /yes) against the same calls made
#     directly by a child process of bench.exe: both whole processes, each one process start;
#   - the copy task on a package of 1,000 files (Finish to the end of the program) against the
#     same files copied by CopyFileA in a loop;
#   - the peak memory (maximum resident set size) of setup.exe through the install task, and of
#     the minimal dialog program, from /usr/bin/time -v.
# Tools: /usr/bin/time, date, bash; RUNS (default 10) and REPEATS (default 3) can be set.
# It measures the x86 build where the host runs 32-bit programs, else the x64 build
# (ZRN_ARCHS=x64 picks it anyway).
source "$(dirname "$0")/common.sh"

RUNS="${RUNS:-10}"
REPEATS="${REPEATS:-3}"
COPY_FILES=1000

"$ROOT/scripts/setup.sh"
if ! [ -x /usr/bin/time ]; then
    log "installing time"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq time >/dev/null
fi
choose_archs
use_arch "$(primary_arch)"
log "$(host_note): measuring the $ARCH build"
"$ROOT/scripts/build.sh" "$ARCH"

template="$BUILD/prefix-template"
"$ROOT/scripts/prefix.sh" "$ARCH" "$template"
package="$BUILD/package"
benchdir="$BUILD/tools/bench"
bench="$benchdir/bench.exe"
work="$(mktemp -d "$BUILD/bench.XXXXXX")"

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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

t_start=$(date +%s%N)

# ---- 1. start to the visible window -----------------------------------------------------------
log "start to the visible window ($RUNS starts each)"
new_prefix
wine "$bench" start "$(win "$benchdir")" bench_dialog.exe "Minimal Dialog" 1 </dev/null >/dev/null 2>&1 || true
setup_start="$(measure start "$(win "$package")" setup.exe "ZRN 7730 Printer Driver Wizard" "$RUNS")"
dialog_start="$(measure start "$(win "$benchdir")" bench_dialog.exe "Minimal Dialog" "$RUNS")"
end_prefix
setup_ms=$(echo "$setup_start" | field median)
dialog_ms=$(echo "$dialog_start" | field median)

# ---- 2. the install task against its calls made directly -------------------------------------
log "install task at full speed and its calls made directly ($REPEATS fresh machines each)"
install_runs=()
direct_runs=()
direct_all_runs=()
for _ in $(seq 1 "$REPEATS"); do
    new_prefix
    install_runs+=("$(measure install "$(win "$package")" | field lifetime)")
    end_prefix
    new_prefix
    r="$(measure direct "$(win "$package")")"
    end_prefix
    calls=$(echo "$r" | field calls)
    files=$(echo "$r" | field files)
    direct_runs+=("$calls")
    direct_all_runs+=("$(awk -v a="$calls" -v b="$files" 'BEGIN { print a + b }')")
done
install_ms=$(printf '%s\n' "${install_runs[@]}" | median)
direct_ms=$(printf '%s\n' "${direct_runs[@]}" | median)
direct_all_ms=$(printf '%s\n' "${direct_all_runs[@]}" | median)

# ---- 3. the quiet install against the same calls made directly, both whole processes -------
log "quiet install and the same calls made directly, both whole processes ($REPEATS fresh machines each)"
quiet_runs=()
direct_process_runs=()
for _ in $(seq 1 "$REPEATS"); do
    new_prefix
    quiet_runs+=("$(measure quiet "$(win "$package")" | field lifetime)")
    end_prefix
    new_prefix
    direct_process_runs+=("$(measure direct-process "$(win "$package")" | field lifetime)")
    end_prefix
done
quiet_ms=$(printf '%s\n' "${quiet_runs[@]}" | median)
direct_process_ms=$(printf '%s\n' "${direct_process_runs[@]}" | median)

# ---- 4. the copy task on 1,000 files against CopyFileA ---------------------------------------
log "copy task on a package of $COPY_FILES files"
big="$work/package-1000"
cp -a "$package" "$big"
have=$(find "$big" -type f | wc -l)
for i in $(seq 1 $((COPY_FILES - have))); do
    head -c $((1024 + (i * 37) % 7168)) /dev/urandom > "$(printf '%s/DATA%04d.BIN' "$big" "$i")"
done
files=$(find "$big" -type f | wc -l)
new_prefix
copy="$(measure copy "$(win "$big")" 'C:\bench copy\task')"
copyfile="$(measure copyfile "$(win "$big")" 'C:\bench copy\copyfile')"
end_prefix
copy_ms=$(echo "$copy" | field finish-to-exit)
copy_life_ms=$(echo "$copy" | field lifetime)
copyfile_ms=$(echo "$copyfile" | field copyfile)

# ---- 5. peak memory --------------------------------------------------------------------------
log "peak memory"
new_prefix
(cd "$package" && /usr/bin/time -v -o "$work/setup.time" wine setup.exe </dev/null >/dev/null 2>&1) &
timed=$!
measure adopt >/dev/null
wait "$timed" || true
(cd "$benchdir" && /usr/bin/time -v -o "$work/dialog.time" wine bench_dialog.exe </dev/null >/dev/null 2>&1) &
timed=$!
measure close "Minimal Dialog" >/dev/null
wait "$timed" || true
end_prefix
setup_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/setup.time")
dialog_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/dialog.time")

t_end=$(date +%s%N)

# ---- report ----------------------------------------------------------------------------------
echo
echo "ZRN 7730 Printer Driver Wizard benchmark, $ARCH build ($(wine --version 2>/dev/null), $(nproc) cores)"
printf '%-58s %10s %10s %8s\n' "measurement" "wizard" "reference" "ratio"
printf '%-58s %8s ms %7s ms %8s\n' "start to visible window (median of $RUNS)" "$setup_ms" "$dialog_ms" "$(ratio "$setup_ms" "$dialog_ms")"
printf '%-58s %8s ms %7s ms %8s\n' "install task, full speed vs its spooler+SetupAPI calls" "$install_ms" "$direct_ms" "$(ratio "$install_ms" "$direct_ms")"
printf '%-58s %8s ms %7s ms %8s\n' "install task vs the calls plus the file copies" "$install_ms" "$direct_all_ms" "$(ratio "$install_ms" "$direct_all_ms")"
printf '%-58s %8s ms %7s ms %8s\n' "quiet install vs the same calls, both whole processes" "$quiet_ms" "$direct_process_ms" "$(ratio "$quiet_ms" "$direct_process_ms")"
printf '%-58s %8s ms %7s ms %8s\n' "copy task, $files files, Finish to end vs CopyFileA loop" "$copy_ms" "$copyfile_ms" "$(ratio "$copy_ms" "$copyfile_ms")"
printf '%-58s %8s ms\n' "copy task, $files files, whole program run" "$copy_life_ms"
printf '%-58s %7s KiB %6s KiB %8s\n' "peak memory (max RSS): setup.exe install vs minimal dialog" "$setup_kb" "$dialog_kb" "$(ratio "$setup_kb" "$dialog_kb")"
echo "install runs (ms): ${install_runs[*]}; direct calls (ms): ${direct_runs[*]}"
echo "quiet install runs (ms): ${quiet_runs[*]}; direct process runs (ms): ${direct_process_runs[*]}"
echo "benchmark wall time: $(( (t_end - t_start) / 1000000 )) ms"
