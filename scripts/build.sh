#!/usr/bin/env bash
# Configures (once) and builds everything into build/.
source "$(dirname "$0")/common.sh"

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
fi
# Progress lines are dropped; warnings, errors and ninja's own result stay.
set +o pipefail
ninja -C "$BUILD" -j2 "$@" | { grep -vE '^\[[0-9]+/[0-9]+\] ' || true; }
status=${PIPESTATUS[0]}
exit "$status"
