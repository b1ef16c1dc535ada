#!/usr/bin/env bash
# Configures and builds into the given folder: tools/build.sh [FOLDER] [TYPE].
# Configures again when the build type or the warnings-as-errors choice
# (QUORVANE_WERROR=1, as CI builds) differs from the folder's last one.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
type="${2:-RelWithDebInfo}"
werror=OFF
if [[ "${QUORVANE_WERROR:-0}" == 1 ]]; then
    werror=ON
fi

cached() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null
}

if [[ ! -f "$build/build.ninja" || "$(cached CMAKE_BUILD_TYPE)" != "$type" \
    || "$(cached CMAKE_COMPILE_WARNING_AS_ERROR)" != "$werror" ]]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
        -DCMAKE_COMPILE_WARNING_AS_ERROR="$werror" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
