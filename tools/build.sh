#!/usr/bin/env bash
# Configures (once) and builds into the given folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
type="${2:-RelWithDebInfo}"
if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
