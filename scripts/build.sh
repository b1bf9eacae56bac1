#!/usr/bin/env bash
# Configures (once) and builds one architecture's build directory:
#   build.sh x86|x64 [ninja targets...]
source "$(dirname "$0")/common.sh"
use_arch "${1:?usage: build.sh x86|x64 [targets...]}"
shift

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" >/dev/null
fi
# Progress lines are dropped; warnings, errors and ninja's own result stay.
set +o pipefail
ninja -C "$BUILD" -j"$(nproc)" "$@" | { grep -vE '^\[[0-9]+/[0-9]+\] ' || true; }
status=${PIPESTATUS[0]}
exit "$status"
