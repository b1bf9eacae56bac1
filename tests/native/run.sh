#!/usr/bin/env bash
# Builds the pure C++ parts of the product with the host compiler under AddressSanitizer
# and UndefinedBehaviorSanitizer, runs their tests, then a short fuzz pass (libFuzzer when
# clang can build it, else a longer seeded mutation pass).
#   run.sh <source dir> <build dir>
set -u
src=${1:?source dir}
out=${2:?build dir}
mkdir -p "$out"

cxx=""
for c in clang++-14 clang++ g++; do
  if command -v "$c" >/dev/null 2>&1; then cxx=$c; break; fi
done
if [ -z "$cxx" ]; then
  echo "no host C++ compiler"; echo "0 passed, 1 failed"; exit 1
fi

# shellcheck disable=SC2054 # the commas belong to -fsanitize's list
flags=(-std=c++17 -g -O1 -Wall -Wextra -Werror -fno-omit-frame-pointer
       -fsanitize=address,undefined -fno-sanitize-recover=all
       -I"$src" -I"$src/tests/native")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== building the native test with $cxx"
if ! "$cxx" "${flags[@]}" -o "$out/monitor_inf_native_test" \
    "$src/package/monitor_inf_text.cpp" "$src/tests/native/monitor_inf_native_test.cpp"; then
  echo "0 passed, 1 failed"; exit 1
fi

failed=0
"$out/monitor_inf_native_test" --mutations 20000 || failed=1

echo "== fuzz pass"
fuzzed=0
case "$cxx" in
  clang*)
    if "$cxx" "${flags[@]}" -fsanitize=fuzzer -o "$out/monitor_inf_fuzz" \
        "$src/package/monitor_inf_text.cpp" "$src/tests/native/monitor_inf_fuzz.cpp" 2>"$out/fuzz_build.log"; then
      rm -rf "$out/corpus" && mkdir -p "$out/corpus"
      "$out/monitor_inf_native_test" --write-corpus "$out/corpus"
      if "$out/monitor_inf_fuzz" -seed=7730 -runs=200000 -max_len=27000 -max_total_time=8 \
          -print_final_stats=1 "$out/corpus" >"$out/fuzz.log" 2>&1; then
        echo "[       OK ] libFuzzer: $(grep -o 'Done [0-9]* runs' "$out/fuzz.log")"
      else
        tail -30 "$out/fuzz.log"
        echo "[  FAILED  ] libFuzzer found a fault (see $out/fuzz.log)"
        failed=1
      fi
      fuzzed=1
    else
      echo "libFuzzer not usable here ($(head -1 "$out/fuzz_build.log")); seeded mutations instead"
    fi
    ;;
esac
if [ $fuzzed = 0 ]; then
  "$out/monitor_inf_native_test" --mutations 200000 >"$out/mutations.log" 2>&1 || failed=1
  tail -2 "$out/mutations.log"
fi

if [ $failed = 0 ]; then echo "native_sanitized: all passed"; else echo "native_sanitized: FAILED"; fi
exit $failed
